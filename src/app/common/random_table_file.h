// Reading the five random conversion tables from their text files.
#pragma once

#include <string>

#include "noise/random_tables.h"

namespace agv {

/// File names of the five tables, in loading order.
extern const char* const kRandomTableFiles[kRandomTableCount];

/// Reads one table file; on failure returns false and says what is wrong in error.
bool readRandomTable(const std::string& path, int band, RandomTable& table, std::string& error);

/// Loads the five tables (working directory first, then the project's data directory).
/// On failure returns false with a message naming the file and the fault, and leaves
/// tables as they were.
bool loadRandomTables(RandomTables& tables, std::string& error);

/// Loads the five tables from one folder only (a package that carries its own tables); as
/// loadRandomTables otherwise.
bool loadRandomTablesFrom(const std::string& folder, RandomTables& tables, std::string& error);

}  // namespace agv
