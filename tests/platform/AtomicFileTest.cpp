#include "platform/AtomicFile.h"
#include "FileSizeLimit.h"
#include "OtherUser.h"
#include "TempDir.h"
#include "platform/RegularFile.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <functional>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

using fakes::TempDir;

namespace {

// The reason a save failed, in English; nothing when it succeeded.
std::optional<std::string> save(const std::string& path, const std::string& bytes)
{
    const platform::FileWriteResult result = platform::writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    EXPECT_FALSE(result.warning) << result.warning->english;
    if (result.error)
        return result.error->english;
    return std::nullopt;
}

} // namespace

TEST(AtomicFile, writesANewFileOrReplacesOneWithTheUsualPermissions)
{
    TempDir dir;
    const std::string file = dir.path("out.bin");
    ASSERT_EQ(std::nullopt, save(file, std::string("\x00\xFF zero", 7)));
    EXPECT_EQ(std::string("\x00\xFF zero", 7), TempDir::read(file));
    ASSERT_EQ(std::nullopt, save(file, ""));
    EXPECT_EQ("", TempDir::read(file));
    EXPECT_EQ(std::set<std::string> {"out.bin"}, dir.names());

    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat info
    { };
    ASSERT_EQ(0, ::stat(file.c_str(), &info));
    EXPECT_EQ(0666 & ~mask, info.st_mode & 0777);
}

TEST(AtomicFile, aFolderThatCannotHoldFilesGivesTheReason)
{
    TempDir dir;
    TempDir::write(dir.path("plain"), "x");
    EXPECT_EQ("Not a directory", save(dir.path("plain") + "/out.bin", "data"));
    EXPECT_EQ("No such file or directory", save(dir.path("missing") + "/out.bin", "data"));
    EXPECT_EQ(std::set<std::string> {"plain"}, dir.names());
}

TEST(AtomicFile, aWriteThatFailsHalfwayKeepsTheOldFileAndLeavesNoPart)
{
    TempDir dir;
    const std::string file = dir.path("out.bin");
    TempDir::write(file, "old");
    std::optional<std::string> error;
    {
        FileSizeLimit limit(100);
        error = save(file, std::string(4096, 'n'));
    }
    EXPECT_EQ("File too large", error);
    EXPECT_EQ("old", TempDir::read(file));
    EXPECT_EQ(std::set<std::string> {"out.bin"}, dir.names());
}

TEST(AtomicFile, aSymlinkIsFollowedAndAnExistingFileKeepsItsModeAndOwner)
{
    TempDir dir;
    const std::string target = dir.path("target.bin");
    TempDir::write(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(target.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::symlink("target.bin", dir.path("link.bin").c_str()), 0);

    const mode_t mask = ::umask(022);
    ASSERT_EQ(std::nullopt, save(dir.path("link.bin"), "new"));
    EXPECT_EQ(::umask(mask), 022) << "the umask is left alone";
    EXPECT_EQ("new", TempDir::read(target));
    struct stat info
    { };
    ASSERT_EQ(0, ::lstat(dir.path("link.bin").c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link stays a link";
    ASSERT_EQ(0, ::stat(target.c_str(), &info));
    EXPECT_EQ(info.st_mode & 07777, 0600u);
    if (::geteuid() == 0) {
        EXPECT_EQ(info.st_uid, 65534u);
        EXPECT_EQ(info.st_gid, 65534u);
    }
    EXPECT_EQ((std::set<std::string> {"link.bin", "target.bin"}), dir.names());
}

// A user who may write the file but not its folder, and one who may not keep another user's
// file's owner: the file cannot be replaced, the reason is given and the old content stays.
TEST(AtomicFile, aFileThatCannotBeReplacedIsReportedAndKept)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "needs root to play another user";
    TempDir dir;
    const std::string folder = dir.path("locked");
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    const std::string file = folder + "/out.bin";
    TempDir::write(file, "old");
    ASSERT_EQ(::chmod(file.c_str(), 0666), 0);
    const std::string open = dir.path("open");
    ASSERT_EQ(::mkdir(open.c_str(), 0777), 0);
    ASSERT_EQ(::chmod(open.c_str(), 0777), 0);
    const std::string others = open + "/theirs.bin";
    TempDir::write(others, "theirs");
    ASSERT_EQ(::chmod(others.c_str(), 0666), 0);
    ASSERT_EQ(::chmod(dir.path("").c_str(), 0755), 0);

    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        const bool folderRefused
            = save(file, "new") == std::optional<std::string>("Permission denied");
        const bool ownerRefused
            = save(others, "new") == std::optional<std::string>("Operation not permitted");
        ::_exit((folderRefused ? 0 : 1) | (ownerRefused ? 0 : 2));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: folder, 2: owner, 100: no second user";
    EXPECT_EQ("old", TempDir::read(file));
    EXPECT_EQ("theirs", TempDir::read(others));
    EXPECT_EQ(std::set<std::string> {"theirs.bin"}, [&] {
        std::set<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(open))
            names.insert(entry.path().filename());
        return names;
    }());
}

namespace {

bool makeSocket(const std::string& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address {};
    address.sun_family = AF_UNIX;
    path.copy(address.sun_path, sizeof address.sun_path - 1);
    const bool made = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return made;
}

// /dev/null's own node where the test may make device nodes, else a link to it.
bool makeDevice(const std::string& path)
{
    if (::geteuid() == 0)
        return ::mknod(path.c_str(), S_IFCHR | 0666, ::makedev(1, 3)) == 0;
    return ::symlink("/dev/null", path.c_str()) == 0;
}

} // namespace

// Nothing but a regular file is replaced or opened as a file: each of these is refused by name
// before anything is written or read, without waiting on a FIFO, and stays as it was.
TEST(RegularFile, whatIsNoRegularFileIsRefusedByNameAndKept)
{
    const struct
    {
        const char* name;
        std::function<bool(const std::string&)> make;
        const char* english;
        const char* chinese;
    } rows[] = {
        {"device", makeDevice, " is a device, not a file", " 是设备,不是文件"},
        {"fifo", [](const std::string& p) { return ::mkfifo(p.c_str(), 0666) == 0; },
            " is a FIFO (named pipe), not a file", " 是命名管道 (FIFO),不是文件"},
        {"socket", makeSocket, " is a socket, not a file", " 是套接字,不是文件"},
        {"folder", [](const std::string& p) { return ::mkdir(p.c_str(), 0777) == 0; },
            " is a folder, not a file", " 是文件夹,不是文件"},
        {"link-to-fifo",
            [](const std::string& p) {
                return ::mkfifo((p + ".target").c_str(), 0666) == 0
                    && ::symlink((p + ".target").c_str(), p.c_str()) == 0;
            },
            " is a FIFO (named pipe), not a file", " 是命名管道 (FIFO),不是文件"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string path = dir.path(row.name);
        ASSERT_TRUE(row.make(path));
        struct stat before
        { };
        ASSERT_EQ(::lstat(path.c_str(), &before), 0);
        const std::set<std::string> names = dir.names();

        const platform::FileWriteResult saved
            = platform::writeFileAtomically(path, std::vector<std::uint8_t>(201, 'x'));
        ASSERT_TRUE(saved.error);
        EXPECT_EQ(saved.error->english, path + row.english);
        EXPECT_EQ(saved.error->chinese, path + row.chinese);
        for (const int flags : {O_RDONLY, O_WRONLY | O_CREAT | O_APPEND}) {
            const auto opened = platform::openRegularFile(path, flags);
            ASSERT_TRUE(std::holds_alternative<core::Bilingual>(opened));
            EXPECT_EQ(std::get<core::Bilingual>(opened).english, path + row.english);
        }

        struct stat after
        { };
        ASSERT_EQ(::lstat(path.c_str(), &after), 0);
        EXPECT_EQ(after.st_mode, before.st_mode);
        EXPECT_EQ(after.st_ino, before.st_ino);
        EXPECT_EQ(dir.names(), names) << "nothing was left beside it";
    }
}

TEST(RegularFile, aRegularFileOpensBlockingAndAMissingOneGivesTheReason)
{
    TempDir dir;
    const auto created = platform::openRegularFile(dir.path("new.log"), O_WRONLY | O_CREAT, 0600);
    ASSERT_TRUE(std::holds_alternative<int>(created));
    const int fd = std::get<int>(created);
    EXPECT_EQ(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
    EXPECT_NE(::fcntl(fd, F_GETFD) & FD_CLOEXEC, 0);
    ::close(fd);
    const auto missing = platform::openRegularFile(dir.path("none"), O_RDONLY);
    ASSERT_TRUE(std::holds_alternative<core::Bilingual>(missing));
    EXPECT_EQ(std::get<core::Bilingual>(missing).chinese, "No such file or directory");
}

// A folder its user may write into but not read (mode 0300) takes the new file, but cannot be
// opened for the sync after the rename: the save is done, with a warning.
TEST(AtomicFile, aFolderThatCannotBeSyncedAfterTheRenameIsAWarningNotAFailure)
{
    TempDir dir;
    const std::string folder = dir.path("drop");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    const std::string file = folder + "/out.bin";
    TempDir::write(file, "old");
    if (::geteuid() == 0) {
        ASSERT_EQ(::chmod(dir.path("").c_str(), 0755), 0);
        ASSERT_EQ(::chown(file.c_str(), 65534, 65534), 0);
        ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
    }
    ASSERT_EQ(::chmod(folder.c_str(), 0300), 0);
    const int status = asUnprivilegedUser([&] {
        const std::string bytes = "new";
        const platform::FileWriteResult saved = platform::writeFileAtomically(
            file, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
        const bool warned = saved.warning
            && saved.warning->english.find("(Permission denied)") != std::string::npos;
        return (saved.error ? 1 : 0) | (warned ? 0 : 2);
    });
    EXPECT_EQ(status, 0) << "1: reported as failed, 2: no warning, 100: no second user";
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EQ("new", TempDir::read(file));
}
