// The output target: regular files replaced whole, links followed, streams in place.
#include "app/common/output_target.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

/// Any user id that is not root, for the permission test run as root.
constexpr uid_t kUnprivilegedId = 65534;

std::string readFile(const fs::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

void writeFile(const fs::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

class OutputTargetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/agv_output_target_XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override { fs::remove_all(dir_); }

    /// Writes text to path through a target; the error of open or commit, "" on success.
    std::string put(const fs::path& path, const std::string& text) {
        agv::OutputTarget target;
        std::string error;
        if (!target.open(path.string(), error)) return "open: " + error;
        target.stream() << text;
        if (!target.commit(error)) return "commit: " + error;
        return "";
    }

    std::vector<std::string> names() const {
        std::vector<std::string> found;
        for (const auto& entry : fs::directory_iterator(dir_))
            found.push_back(entry.path().filename().string());
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path dir_;
};

TEST_F(OutputTargetTest, RegularFileIsReplacedWholeKeepingItsPermissions) {
    const fs::path file = dir_ / "out.csv";
    writeFile(file, "old contents that are longer\n");
    ::chmod(file.c_str(), 0640);
    {
        agv::OutputTarget target;
        std::string error;
        ASSERT_TRUE(target.open(file.string(), error)) << error;
        EXPECT_FALSE(target.inPlace());
        target.stream() << "new";
        // Until the commit the old file stands; a dropped target leaves it so.
        EXPECT_EQ(readFile(file), "old contents that are longer\n");
    }
    EXPECT_EQ(readFile(file), "old contents that are longer\n");
    EXPECT_EQ(put(file, std::string(200000, 'x')), "");
    EXPECT_EQ(readFile(file), std::string(200000, 'x'));
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(put(dir_ / "new.csv", "fresh"), "");
    EXPECT_EQ(readFile(dir_ / "new.csv"), "fresh");
    EXPECT_EQ(names(), (std::vector<std::string>{"new.csv", "out.csv"}));
    EXPECT_NE(put(dir_ / "missing" / "x.csv", "x").find("open: cannot write"), std::string::npos);
    EXPECT_NE(put(dir_, "x").find("folder"), std::string::npos);
}

TEST_F(OutputTargetTest, SymbolicLinkIsFollowedAndStays) {
    writeFile(dir_ / "t.csv", "old");
    fs::create_symlink("t.csv", dir_ / "l.csv");
    fs::create_symlink("l.csv", dir_ / "ll.csv");
    EXPECT_EQ(put(dir_ / "ll.csv", "through two links"), "");
    EXPECT_TRUE(fs::is_symlink(dir_ / "l.csv"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "ll.csv"));
    EXPECT_EQ(readFile(dir_ / "t.csv"), "through two links");
    // A dangling link makes the file it names.
    fs::create_symlink("made.csv", dir_ / "d.csv");
    EXPECT_EQ(put(dir_ / "d.csv", "made"), "");
    EXPECT_EQ(readFile(dir_ / "made.csv"), "made");
    EXPECT_TRUE(fs::is_symlink(dir_ / "d.csv"));
}

TEST_F(OutputTargetTest, FifoIsWrittenInPlaceAndAWriteErrorFails) {
    const fs::path fifo = dir_ / "f";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::string received;
    std::thread reader([&] { received = readFile(fifo); });
    EXPECT_EQ(put(fifo, "streamed"), "");
    reader.join();
    EXPECT_EQ(received, "streamed");
    EXPECT_TRUE(fs::is_fifo(fifo));

    // A reader that goes away: more than a pipe holds cannot be written.
    std::thread quitter([&] { ::close(::open(fifo.c_str(), O_RDONLY)); });
    agv::OutputTarget target;
    std::string error;
    ASSERT_TRUE(target.open(fifo.string(), error)) << error;
    quitter.join();
    EXPECT_TRUE(target.inPlace());
    target.stream() << std::string(1 << 20, 'x');
    EXPECT_FALSE(target.commit(error));
    EXPECT_NE(error.find("Broken pipe"), std::string::npos) << error;
    EXPECT_EQ(names(), std::vector<std::string>{"f"});
}

TEST_F(OutputTargetTest, CharacterDeviceIsWrittenInPlace) {
    agv::OutputTarget target;
    std::string error;
    ASSERT_TRUE(target.open("/dev/null", error)) << error;
    EXPECT_TRUE(target.inPlace());
    EXPECT_TRUE(target.write("bytes", 5));
    EXPECT_TRUE(target.commit(error)) << error;
    EXPECT_TRUE(fs::is_character_file("/dev/null"));
}

TEST_F(OutputTargetTest, ExistingFileTheUserMayNotWriteIsLeftAsItWas) {
    const fs::path file = dir_ / "locked.csv";
    writeFile(file, "keep");
    ::chmod(file.c_str(), 0444);
    // Root may write any file: the check runs as another user in a folder it may write.
    ::chmod(dir_.c_str(), 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0))
            ::_exit(2);
        agv::OutputTarget target;
        std::string error;
        ::_exit(target.open(file.string(), error) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(readFile(file), "keep");
    EXPECT_EQ(names(), std::vector<std::string>{"locked.csv"});
}

TEST_F(OutputTargetTest, RefusalsNameTheFolderThatIsNotWritableAndCutLongNames) {
    const fs::path locked = dir_ / "locked";
    fs::create_directory(locked);
    ::chmod(locked.c_str(), 0555);
    ::chmod(dir_.c_str(), 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kUnprivilegedId) != 0 || ::setuid(kUnprivilegedId) != 0))
            ::_exit(2);
        agv::OutputTarget target;
        std::string error;
        const bool named =
            !target.open((locked / "new.csv").string(), error) &&
            error.find("(the folder " + locked.string() + " is not writable)") != std::string::npos;
        ::_exit(named ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // A name of 100 kB in a message: cut like an argument, its control bytes escaped.
    agv::OutputTarget target;
    std::string error;
    EXPECT_FALSE(target.open("missing/\x1b[2J" + std::string(100000, 'n'), error));
    EXPECT_LT(error.size(), 200u) << error.size();
    EXPECT_NE(error.find("missing/\\x1b[2J"), std::string::npos) << error;
}

TEST_F(OutputTargetTest, TemporaryFileIsRemovedOnTerminatingSignals) {
    for (const int signalNumber : {SIGTERM, SIGINT, SIGHUP}) {
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            agv::OutputTarget target;
            std::string error;
            if (!target.open((dir_ / "out.csv").string(), error)) ::_exit(2);
            target.stream() << "partial" << std::flush;
            if (::write(ready[1], "r", 1) != 1) ::_exit(2);
            ::pause();
            ::_exit(3);
        }
        char byte = 0;
        ASSERT_EQ(::read(ready[0], &byte, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
        EXPECT_EQ(names().size(), 1u);  // the temporary file, while it is written
        ::kill(child, signalNumber);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signalNumber) << signalNumber;
        EXPECT_TRUE(names().empty()) << signalNumber;
    }
}

}  // namespace
