#include "platform/AtomicFile.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

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
