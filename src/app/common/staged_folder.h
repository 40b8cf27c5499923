// An output folder of files that belong together (animation frames): written into a
// temporary folder beside it and put in its place only when every file is there.
#pragma once

#include <string>

namespace agv {

class StagedFolder {
  public:
    StagedFolder() = default;
    /// An unfinished folder is removed with its files.
    ~StagedFolder();
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    /// Makes the temporary folder beside folder (and the folders above it that are
    /// missing); false with the reason in error, for a folder that cannot be written.
    bool open(const std::string& folder, std::string& error);
    /// Where the files go until commit.
    const std::string& path() const { return staging_; }
    /// A message about a file in the temporary folder, naming the folder instead.
    std::string named(const std::string& message) const;

    /// Puts the files in place of the folder's: the temporary folder takes the folder's
    /// place in one step when the folder is new or holds only files named like the new
    /// ones (isOwnFile), else the files move in one by one and the folder's files that
    /// isOwnFile claims and that the new files did not replace are removed; other files
    /// stay. False with the reason in error.
    bool commit(bool (*isOwnFile)(const std::string& name), std::string& error);

  private:
    void drop();

    /// The folder as given (for messages), as a path, and the temporary folder.
    std::string shownFolder_, folder_, staging_;
    int signalSlot_ = -1;
};

}  // namespace agv
