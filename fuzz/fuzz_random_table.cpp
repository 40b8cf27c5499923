// Bytes as one random table file, read for each of the five bands. Fails when a table is
// accepted with a value that is not finite, keys that do not increase or too many rows.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "app/common/random_table_file.h"

namespace {

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "accepted a table with %s\n", what);
        std::abort();
    }
}

/// A file of this process for the table text, removed at exit.
const std::string& tablePath() {
    static const std::string path = [] {
        // A memory-backed folder keeps the file writes out of the run time.
        char shm[] = "/dev/shm/agv_fuzz_table_XXXXXX";
        char tmp[] = "/tmp/agv_fuzz_table_XXXXXX";
        char* pattern = ::access("/dev/shm", W_OK) == 0 ? shm : tmp;
        const int fd = ::mkstemp(pattern);
        if (fd < 0) std::abort();
        ::close(fd);
        std::atexit([] { ::unlink(tablePath().c_str()); });
        return std::string(pattern);
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string& path = tablePath();
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
    for (int band = 0; band < agv::kRandomTableCount; ++band) {
        agv::RandomTable table;
        std::string error;
        if (!agv::readRandomTable(path, band, table, error)) {
            require(!error.empty(), "a refusal without a reason");
            continue;
        }
        require(table.lastRow >= 0 && table.lastRow < agv::kRandomTableRows, "a bad row count");
        for (int row = 0; row <= table.lastRow; ++row) {
            require(std::isfinite(table.value[row]) && std::isfinite(table.key[row]),
                    "a non-finite number");
            if (row > 0) require(table.key[row] > table.key[row - 1], "keys not increasing");
        }
    }
    return 0;
}
