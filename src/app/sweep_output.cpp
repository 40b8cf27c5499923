#include "app/sweep_output.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

namespace agv {

namespace {

/// Most symbolic links followed to the file an output names.
constexpr int kMaxLinkDepth = 40;

}  // namespace

SweepOutput::~SweepOutput() {
    discard();
}

void SweepOutput::discard() {
    if (file_ != nullptr && file_ != stdout) std::fclose(file_);
    file_ = nullptr;
    if (!temp_.empty()) std::remove(temp_.c_str());
    temp_.clear();
}

bool SweepOutput::open(const std::string& path, std::string& error) {
    path_ = path;
    if (path == "-") {
        file_ = stdout;
        return true;
    }
    // A symbolic link is written through: the file it names is replaced (or created), not
    // the link.
    std::string target = path;
    struct stat info {};
    for (int depth = 0;
         depth < kMaxLinkDepth && ::lstat(target.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
         ++depth) {
        std::error_code ec;
        const std::filesystem::path link = std::filesystem::read_symlink(target, ec);
        if (ec) break;
        target = (link.is_absolute() ? link : std::filesystem::path(target).parent_path() / link)
                     .string();
    }
    if (::stat(target.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        if (S_ISDIR(info.st_mode)) {
            error = path + " is a directory";
            return false;
        }
        file_ = std::fopen(target.c_str(), "wb");
        if (file_ == nullptr) {
            error = "cannot write " + path + ": " + std::strerror(errno);
            return false;
        }
        return true;
    }
    std::vector<char> name(target.begin(), target.end());
    const char suffix[] = ".tmp-XXXXXX";
    name.insert(name.end(), suffix, suffix + sizeof suffix);
    const int fd = ::mkstemp(name.data());
    if (fd < 0) {
        error = "cannot create a file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    // The permissions a freshly created file would get.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, static_cast<mode_t>(0666) & ~mask);
    temp_ = name.data();
    path_ = target;
    file_ = ::fdopen(fd, "wb");
    if (file_ == nullptr) {
        ::close(fd);
        error = "cannot write " + temp_ + ": " + std::strerror(errno);
        discard();
        return false;
    }
    return true;
}

void SweepOutput::write(const std::string& text) {
    if (file_ == nullptr || failed_) return;
    if (std::fwrite(text.data(), 1, text.size(), file_) != text.size()) failed_ = true;
}

bool SweepOutput::commit(std::string& error) {
    if (file_ == nullptr) {
        error = "no output open";
        return false;
    }
    const bool flushed = std::fflush(file_) == 0 && !failed_ && std::ferror(file_) == 0;
    const int savedErrno = errno;
    bool closed = true;
    if (file_ != stdout) closed = std::fclose(file_) == 0;
    file_ = nullptr;
    if (!flushed || !closed) {
        error = "cannot write " + (path_ == "-" ? std::string("standard output") : path_) + ": " +
                std::strerror(flushed ? errno : savedErrno);
        discard();
        return false;
    }
    if (!temp_.empty()) {
        if (std::rename(temp_.c_str(), path_.c_str()) != 0) {
            error = "cannot rename " + temp_ + " to " + path_ + ": " + std::strerror(errno);
            discard();
            return false;
        }
        temp_.clear();
    }
    return true;
}

}  // namespace agv
