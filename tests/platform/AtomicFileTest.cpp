#include "platform/AtomicFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using fakes::TempDir;

namespace {

std::optional<std::string> save(const std::string& path, const std::string& bytes)
{
    return platform::writeFileAtomically(
        path, {reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
}

// Files larger than the limit cannot be written while it holds (the process gets EFBIG, with
// SIGXFSZ ignored), so a write fails after the file has been created.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved {};
    void (*m_handler)(int);
};

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
