#include "app/common/output_target.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <streambuf>
#include <vector>

#include "app/common/shown_text.h"

namespace agv {

namespace {

/// Temporary files that may be open at the same time.
constexpr int kMaxTempFiles = 16;
/// Longest temporary file name that is kept for removal on a signal (bytes).
constexpr std::size_t kMaxTempName = 4096;
/// Symbolic links followed before a name counts as a loop.
constexpr int kMaxLinkDepth = 40;
/// Bytes collected before they are written.
constexpr std::size_t kBufferBytes = 1 << 16;
/// Attempts at a free temporary name.
constexpr int kTempNameAttempts = 100;
/// Random characters of a temporary name.
constexpr int kTempNameLetters = 6;
/// What a temporary name adds before its random letters.
const char* const kTempInfix = ".tmp-";
/// Longest file name (one path component) the usual file systems take [bytes].
constexpr std::size_t kMaxFileNameBytes = 255;
/// Permissions of a new file before the umask.
constexpr mode_t kNewFileMode = 0666;
/// Permission bits of an existing file that its replacement keeps.
constexpr mode_t kPermissionBits = 07777;

/// Signals whose default action ends the program: each removes the temporary files first.
const int kCleanupSignals[] = {SIGINT,  SIGTERM, SIGHUP,  SIGQUIT,
                               SIGUSR1, SIGUSR2, SIGALRM, SIGXCPU};
constexpr int kCleanupSignalCount = sizeof kCleanupSignals / sizeof kCleanupSignals[0];

/// Names the signal handler removes. A slot's name is complete before it is marked used.
struct TempSlot {
    std::atomic<bool> used{false};
    char name[kMaxTempName];
};
TempSlot g_tempSlots[kMaxTempFiles];
/// Temporary folders that may be held at the same time.
constexpr int kMaxTempFolders = 4;
TempSlot g_tempFolders[kMaxTempFolders];
struct sigaction g_previousActions[kCleanupSignalCount];
std::mutex g_slotMutex;

/// Removes the files of a folder and the folder, with calls a signal handler may make.
void removeFolderOnSignal(const char* path) {
#if defined(SYS_getdents64) && !defined(__EMSCRIPTEN__)
    /// Bytes of directory entries read at a time.
    constexpr std::size_t kDirentBufferBytes = 4096;
    const int fd = ::open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        alignas(8) char buffer[kDirentBufferBytes];
        for (;;) {
            const long got = ::syscall(SYS_getdents64, fd, buffer, sizeof buffer);
            if (got <= 0) break;
            for (long at = 0; at < got;) {
                // struct linux_dirent64: inode (8), offset (8), record length (2), type (1), name.
                unsigned short length = 0;
                std::memcpy(&length, buffer + at + 16, sizeof length);
                const char* name = buffer + at + 19;
                if (std::strcmp(name, ".") != 0 && std::strcmp(name, "..") != 0)
                    ::unlinkat(fd, name, 0);
                at += length;
            }
        }
        ::close(fd);
    }
#endif
    ::rmdir(path);
}

extern "C" void removeTempFilesAndResignal(int signalNumber) {
    for (TempSlot& slot : g_tempSlots) {
        if (slot.used.load()) ::unlink(slot.name);
    }
    for (TempSlot& slot : g_tempFolders) {
        if (slot.used.load()) removeFolderOnSignal(slot.name);
    }
    for (int i = 0; i < kCleanupSignalCount; ++i) {
        if (kCleanupSignals[i] != signalNumber) continue;
        const struct sigaction& previous = g_previousActions[i];
        if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
            previous.sa_handler != SIG_IGN) {
            // The program's own handler (terminal restoring, say) still runs.
            previous.sa_handler(signalNumber);
            return;
        }
    }
    ::signal(signalNumber, SIG_DFL);
    ::raise(signalNumber);
}

void installCleanupHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (int i = 0; i < kCleanupSignalCount; ++i) {
            struct sigaction action {};
            action.sa_handler = removeTempFilesAndResignal;
            sigemptyset(&action.sa_mask);
            ::sigaction(kCleanupSignals[i], nullptr, &g_previousActions[i]);
            // A signal the caller ignores (nohup) stays ignored.
            if ((g_previousActions[i].sa_flags & SA_SIGINFO) == 0 &&
                g_previousActions[i].sa_handler == SIG_IGN) {
                continue;
            }
            ::sigaction(kCleanupSignals[i], &action, nullptr);
        }
    });
}

/// Reserves a slot for name; -1 when the name is too long or all slots are taken.
int registerTemp(const std::string& name) {
    if (name.size() >= kMaxTempName) return -1;
    std::lock_guard<std::mutex> lock(g_slotMutex);
    for (int i = 0; i < kMaxTempFiles; ++i) {
        TempSlot& slot = g_tempSlots[i];
        if (slot.used.load()) continue;
        std::memcpy(slot.name, name.c_str(), name.size() + 1);
        slot.used.store(true);
        return i;
    }
    return -1;
}

void releaseTemp(int index) {
    if (index < 0) return;
    std::lock_guard<std::mutex> lock(g_slotMutex);
    g_tempSlots[index].used.store(false);
}

std::string describe(const std::string& path, int error) {
    return "cannot write " + shownArgument(path) + ": " + std::strerror(error);
}

/// The folder a file is made in ("." for a bare name).
std::string folderOf(const std::string& file) {
    const std::size_t slash = file.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : file.substr(0, slash);
}

/// Whether a failure to create a file is the folder's permission or a read-only mount.
bool folderRefused(int error) {
    return error == EACCES || error == EPERM || error == EROFS;
}

/// The file a chain of symbolic links ends at (which need not exist yet).
bool followLinks(const std::string& path, std::string& resolved, std::string& error) {
    std::string name = path;
    for (int depth = 0; depth < kMaxLinkDepth; ++depth) {
        struct stat info {};
        if (::lstat(name.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            resolved = name;
            return true;
        }
        std::vector<char> target(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) +
                                 1);
        const ssize_t length = ::readlink(name.c_str(), target.data(), target.size());
        if (length < 0 || static_cast<std::size_t>(length) >= target.size()) {
            error = describe(path, length < 0 ? errno : ENAMETOOLONG);
            return false;
        }
        std::string next(target.data(), static_cast<std::size_t>(length));
        const std::size_t slash = name.rfind('/');
        if (next.front() != '/' && slash != std::string::npos) {
            next = name.substr(0, slash + 1) + next;
        }
        name = next;
    }
    error = describe(path, ELOOP);
    return false;
}

/// A hard-to-guess suffix for a temporary name.
std::string randomLetters() {
    static std::atomic<unsigned long> counter{0};
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    constexpr unsigned long kLetterCount = sizeof kLetters - 1;
    struct timespec now {};
    ::clock_gettime(CLOCK_REALTIME, &now);
    unsigned long value = static_cast<unsigned long>(now.tv_nsec) ^
                          (static_cast<unsigned long>(::getpid()) << 16) ^
                          (counter.fetch_add(1) * 0x9E3779B97F4A7C15UL);
    std::string letters;
    for (int i = 0; i < kTempNameLetters; ++i) {
        letters += kLetters[value % kLetterCount];
        value /= kLetterCount;
    }
    return letters;
}

/// The temporary name beside target, without its random letters: "NAME.tmp-", or
/// ".tmp-" alone in the same folder when that would make the name too long for the system.
std::string tempNameFor(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const std::size_t added = std::strlen(kTempInfix) + kTempNameLetters;
    if (target.size() - nameStart + added <= kMaxFileNameBytes) return target + kTempInfix;
    return target.substr(0, nameStart) + kTempInfix;
}

}  // namespace

struct OutputTarget::State : std::streambuf {
    int fd = -1;
    bool ownsFd = false;
    bool inPlace = false;
    bool open = false;
    /// Name shown in messages (as the user gave it).
    std::string shownName;
    /// The file that commit() replaces, and the temporary file beside it.
    std::string target, temp;
    int tempSlot = -1;
    /// errno of the first failed write (0: none).
    int writeError = 0;
    std::vector<char> buffer;
    std::ostream out;

    State() : buffer(kBufferBytes), out(this) {
        setp(buffer.data(), buffer.data() + buffer.size());
    }

    bool writeAll(const char* data, std::size_t size) {
        if (writeError != 0 || fd < 0) {
            if (writeError == 0) writeError = EBADF;
            return false;
        }
        while (size > 0) {
            const ssize_t written = ::write(fd, data, size);
            if (written < 0) {
                if (errno == EINTR) continue;
                writeError = errno;
                return false;
            }
            data += written;
            size -= static_cast<std::size_t>(written);
        }
        return true;
    }

    bool flushBuffer() {
        const std::size_t pending = static_cast<std::size_t>(pptr() - pbase());
        setp(buffer.data(), buffer.data() + buffer.size());
        return pending == 0 || writeAll(buffer.data(), pending);
    }

    int_type overflow(int_type c) override {
        if (!flushBuffer()) return traits_type::eof();
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
        return c;
    }

    std::streamsize xsputn(const char* data, std::streamsize count) override {
        const std::size_t size = static_cast<std::size_t>(count);
        if (size <= static_cast<std::size_t>(epptr() - pptr())) {
            std::memcpy(pptr(), data, size);
            pbump(static_cast<int>(count));
            return count;
        }
        if (!flushBuffer() || !writeAll(data, size)) return 0;
        return count;
    }

    int sync() override { return flushBuffer() ? 0 : -1; }

    void closeFd() {
        if (ownsFd && fd >= 0) ::close(fd);
        fd = -1;
        ownsFd = false;
    }

    void dropTemp() {
        if (!temp.empty()) ::unlink(temp.c_str());
        releaseTemp(tempSlot);
        tempSlot = -1;
        temp.clear();
    }

    /// Creates the temporary file beside target, with the permissions of the file it
    /// replaces (or of a new file).
    bool createTemp(const struct stat* existing, std::string& error) {
        installCleanupHandlers();
        for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
            const std::string name = tempNameFor(target) + randomLetters();
            const int slot = registerTemp(name);
            if (slot < 0) {
                error = describe(shownName, ENAMETOOLONG);
                return false;
            }
            const int created =
                ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, kNewFileMode);
            if (created < 0) {
                const int reason = errno;
                releaseTemp(slot);
                if (reason == EEXIST) continue;
                error = describe(shownName, reason);
                // The file is made in its folder: that folder is what is not writable.
                if (folderRefused(reason)) {
                    error +=
                        " (the folder " + shownArgument(folderOf(target)) +
                        (reason == EROFS ? " is on a read-only file system)" : " is not writable)");
                }
                return false;
            }
            fd = created;
            ownsFd = true;
            temp = name;
            tempSlot = slot;
            if (existing != nullptr) {
                ::fchmod(fd, existing->st_mode & kPermissionBits);
                // Only root may give the file back its owner; a failure leaves it root's.
                if (::geteuid() == 0 && ::fchown(fd, existing->st_uid, existing->st_gid) != 0) {
                    errno = 0;
                }
            }
            return true;
        }
        error = describe(shownName, EEXIST);
        return false;
    }
};

OutputTarget::OutputTarget() : state_(std::make_unique<State>()) {}

OutputTarget::~OutputTarget() {
    abandon();
}

bool OutputTarget::open(const std::string& path, std::string& error) {
    abandon();
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.shownName = path == "-" ? "standard output" : path;
    // A write failure comes back from write() instead of ending the program.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    if (path == "-") {
        s.fd = STDOUT_FILENO;
        s.inPlace = true;
        s.open = true;
        return true;
    }
    if (path.empty()) {
        error = "an output needs a name";
        return false;
    }
    if (!followLinks(path, s.target, error)) return false;

    struct stat info {};
    if (::stat(s.target.c_str(), &info) != 0) {
        if (errno != ENOENT) {
            error = describe(path, errno);
            return false;
        }
        if (!s.createTemp(nullptr, error)) return false;
    } else if (S_ISFIFO(info.st_mode) || S_ISCHR(info.st_mode)) {
        s.fd = ::open(s.target.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (s.fd < 0) {
            error = describe(path, errno);
            return false;
        }
        s.ownsFd = true;
        s.inPlace = true;
    } else if (S_ISREG(info.st_mode)) {
        // Replacing a file needs only the folder's permission; writing it needs the file's.
        if (::faccessat(AT_FDCWD, s.target.c_str(), W_OK, AT_EACCESS) != 0) {
            error = describe(path, errno) + " (left as it was)";
            return false;
        }
        if (!s.createTemp(&info, error)) return false;
    } else {
        error = "cannot write " + shownArgument(path) + ": " +
                (S_ISDIR(info.st_mode) ? "it is a folder"
                                       : "neither a file, a FIFO nor a character device");
        return false;
    }
    s.open = true;
    return true;
}

std::ostream& OutputTarget::stream() {
    return state_->out;
}

bool OutputTarget::write(const void* data, std::size_t size) {
    state_->out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    return static_cast<bool>(state_->out);
}

bool OutputTarget::commit(std::string& error) {
    State& s = *state_;
    if (!s.open) {
        error = "nothing to write to";
        return false;
    }
    s.out.flush();
    int failure = s.writeError;
    if (failure == 0 && !s.out) failure = EIO;
    if (failure == 0 && s.ownsFd) {
        const int fd = s.fd;
        s.fd = -1;
        s.ownsFd = false;
        if (::close(fd) != 0) failure = errno;
    }
    if (failure == 0 && !s.temp.empty() && ::rename(s.temp.c_str(), s.target.c_str()) != 0) {
        failure = errno;
    }
    if (failure != 0) {
        error = describe(s.shownName, failure);
        abandon();
        return false;
    }
    releaseTemp(s.tempSlot);
    s.tempSlot = -1;
    s.temp.clear();
    s.open = false;
    return true;
}

void OutputTarget::abandon() {
    if (!state_) return;
    State& s = *state_;
    s.closeFd();
    s.dropTemp();
    s.open = false;
}

bool OutputTarget::inPlace() const {
    return state_->inPlace;
}

int holdTempFolder(const std::string& path) {
    if (path.size() >= kMaxTempName) return -1;
    installCleanupHandlers();
    std::lock_guard<std::mutex> lock(g_slotMutex);
    for (int i = 0; i < kMaxTempFolders; ++i) {
        TempSlot& slot = g_tempFolders[i];
        if (slot.used.load()) continue;
        std::memcpy(slot.name, path.c_str(), path.size() + 1);
        slot.used.store(true);
        return i;
    }
    return -1;
}

void releaseTempFolder(int slot) {
    if (slot < 0) return;
    std::lock_guard<std::mutex> lock(g_slotMutex);
    g_tempFolders[slot].used.store(false);
}

bool writeWholeFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                    std::string& error) {
    OutputTarget target;
    if (!target.open(path, error)) return false;
    target.write(bytes.data(), bytes.size());
    return target.commit(error);
}

}  // namespace agv
