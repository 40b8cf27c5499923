#include "app/common/staged_folder.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <set>
#include <system_error>
#include <vector>

#include "app/common/output_target.h"
#include "app/common/shown_text.h"

namespace agv {

namespace {

namespace fs = std::filesystem;

/// What a temporary folder's name adds to the folder's, before its random letters.
const char* const kStagingSuffix = ".tmp-XXXXXX";
/// Permissions of a new folder before the umask.
constexpr mode_t kNewFolderMode = 0777;
/// Permission bits of a folder that its replacement keeps.
constexpr mode_t kPermissionBits = 07777;

std::string cannotWrite(const std::string& folder, const std::string& reason) {
    return "cannot write " + shownArgument(folder) + ": " + reason;
}

/// The nearest folder above path that exists: the one a permission failure is about.
std::string existingFolderAbove(const fs::path& path) {
    fs::path folder = path.parent_path();
    std::error_code ec;
    while (!folder.empty() && !fs::exists(folder, ec))
        folder = folder.parent_path();
    return folder.empty() ? "." : folder.string();
}

mode_t currentUmask() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

}  // namespace

StagedFolder::~StagedFolder() {
    drop();
}

void StagedFolder::drop() {
    if (!staging_.empty()) {
        std::error_code ec;
        fs::remove_all(staging_, ec);
    }
    releaseTempFolder(signalSlot_);
    signalSlot_ = -1;
    staging_.clear();
}

bool StagedFolder::open(const std::string& folder, std::string& error) {
    drop();
    // "frames/" and "frames" are one folder; "." and ".." are named by their full path.
    fs::path target = fs::path(folder).lexically_normal();
    if (target.has_filename() == false) target = target.parent_path();
    if (target.empty() || target.filename() == "." || target.filename() == "..") {
        std::error_code ec;
        target = fs::absolute(target.empty() ? fs::path(".") : target, ec).lexically_normal();
        if (!target.has_filename()) target = target.parent_path();
    }
    struct stat info {};
    const bool exists = ::stat(target.c_str(), &info) == 0;
    if (exists && !S_ISDIR(info.st_mode)) {
        error = cannotWrite(folder, "it is not a folder");
        return false;
    }
    std::error_code ec;
    if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
    if (ec) {
        error = cannotWrite(folder, ec.message());
        if (ec == std::errc::permission_denied || ec == std::errc::read_only_file_system) {
            error +=
                " (the folder " + shownArgument(existingFolderAbove(target)) + " is not writable)";
        }
        return false;
    }
    std::string name = target.string() + kStagingSuffix;
    std::vector<char> buffer(name.begin(), name.end());
    buffer.push_back('\0');
    if (::mkdtemp(buffer.data()) == nullptr) {
        const int reason = errno;
        error = cannotWrite(folder, std::strerror(reason));
        if (reason == EACCES || reason == EPERM || reason == EROFS) {
            error += " (the folder " +
                     shownArgument(target.has_parent_path() ? target.parent_path().string() : ".") +
                     " is not writable)";
        }
        return false;
    }
    staging_ = buffer.data();
    signalSlot_ = holdTempFolder(staging_);
    // The folder keeps its permissions; a new one gets those of any new folder.
    ::chmod(staging_.c_str(),
            exists ? (info.st_mode & kPermissionBits) : (kNewFolderMode & ~currentUmask()));
    folder_ = target.string();
    shownFolder_ = folder;
    while (shownFolder_.size() > 1 && shownFolder_.back() == '/')
        shownFolder_.pop_back();
    return true;
}

std::string StagedFolder::named(const std::string& message) const {
    std::string text = message;
    const std::string shownStaging = shownArgument(staging_);
    for (const std::string& from : {staging_, shownStaging}) {
        for (std::size_t at = text.find(from); !from.empty() && at != std::string::npos;
             at = text.find(from, at)) {
            text.replace(at, from.size(), shownFolder_);
            at += shownFolder_.size();
        }
    }
    return text;
}

bool StagedFolder::commit(bool (*isOwnFile)(const std::string& name), std::string& error) {
    std::error_code ec;
    std::set<std::string> newFiles, oldFiles;
    for (const auto& entry : fs::directory_iterator(staging_, ec))
        newFiles.insert(entry.path().filename().string());
    bool onlyOwn = true;
    if (fs::exists(folder_, ec)) {
        for (const auto& entry : fs::directory_iterator(folder_, ec)) {
            const std::string name = entry.path().filename().string();
            oldFiles.insert(name);
            if (!isOwnFile(name) || !entry.is_regular_file()) onlyOwn = false;
        }
    }
    if (ec) {
        error = cannotWrite(shownFolder_, ec.message());
        return false;
    }
    // A new folder, or one of this program's files only: the whole folder changes at once.
    if (oldFiles.empty() && ::rename(staging_.c_str(), folder_.c_str()) == 0) {
        releaseTempFolder(signalSlot_);
        signalSlot_ = -1;
        staging_.clear();
        return true;
    }
    // Never the working folder itself: the program (or the shell) would be left in the old.
    struct stat here {
    }, there{};
    const bool working = ::stat(".", &here) == 0 && ::stat(folder_.c_str(), &there) == 0 &&
                         here.st_dev == there.st_dev && here.st_ino == there.st_ino;
    if (onlyOwn && !working &&
        ::renameat2(AT_FDCWD, staging_.c_str(), AT_FDCWD, folder_.c_str(), RENAME_EXCHANGE) == 0) {
        // The temporary name now holds the old files.
        drop();
        return true;
    }
    // Files of other kinds stay: the new files move in one by one, each in one step.
    for (const std::string& name : newFiles) {
        if (::rename((fs::path(staging_) / name).c_str(), (fs::path(folder_) / name).c_str()) !=
            0) {
            error = cannotWrite(shownFolder_, std::strerror(errno));
            return false;
        }
    }
    for (const std::string& name : oldFiles) {
        if (isOwnFile(name) && newFiles.count(name) == 0) fs::remove(fs::path(folder_) / name, ec);
    }
    drop();
    return true;
}

}  // namespace agv
