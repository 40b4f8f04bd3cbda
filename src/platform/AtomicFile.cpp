#include "AtomicFile.h"

#include "RegularFile.h"

#include <cerrno>
#include <climits>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

bool writeAll(int fd, std::span<const std::uint8_t> bytes)
{
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n == 0)
            errno = EIO;
        if (n <= 0)
            return false;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
    return true;
}

FileWriteResult removeAfter(const std::string& temp, int error)
{
    ::unlink(temp.c_str());
    return {systemReason(error), std::nullopt};
}

// Once the rename is done the new content is in place: a folder that cannot be synced only
// leaves the rename to the system's own time for reaching the disk.
FileWriteResult folderNotSynced(int error)
{
    const std::string reason = std::strerror(error);
    return {std::nullopt,
        core::Bilingual {"its folder could not be synced to disk (" + reason
                + "), so a power failure soon after may bring back the old content",
            "无法将所在文件夹同步到磁盘(" + reason + "),随后断电可能恢复为旧内容"}};
}

std::string folderOf(const std::string& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The file a path names once its symlinks are followed: the link stays, its target gets the
// content. A target that does not exist yet is where the new file goes.
std::string followLinks(std::string path)
{
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info
        { };
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return path;
        char target[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
        if (n <= 0)
            return path;
        const std::string to(target, static_cast<std::size_t>(n));
        path = to.front() == '/' ? to : folderOf(path) + "/" + to;
    }
    return path;
}

// A new file beside path that nobody else has; the mode asked for passes through the umask,
// as for any file the program creates.
int createBeside(const std::string& path, std::string& temp)
{
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = path + "." + std::to_string(random() % 1000000) + ".part";
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// An existing file keeps its permissions and owner; one whose owner cannot be kept is not
// replaced.
bool keepModeAndOwner(int fd, const struct stat& old)
{
    if (::fchmod(fd, old.st_mode & 07777) != 0)
        return false;
    if (old.st_uid == ::geteuid() && old.st_gid == ::getegid())
        return true;
    return ::fchown(fd, old.st_uid, old.st_gid) == 0;
}

} // namespace

FileWriteResult writeFileAtomically(const std::string& given, std::span<const std::uint8_t> bytes)
{
    if (auto refused = notARegularFile(given))
        return {refused, std::nullopt};
    const std::string path = followLinks(given);
    struct stat old
    { };
    const bool exists = ::stat(path.c_str(), &old) == 0;
    std::string temp;
    const int fd = createBeside(path, temp);
    if (fd < 0)
        return {systemReason(errno), std::nullopt};
    if ((exists && !keepModeAndOwner(fd, old)) || !writeAll(fd, bytes) || ::fsync(fd) != 0) {
        const int error = errno;
        ::close(fd);
        return removeAfter(temp, error);
    }
    if (::close(fd) != 0 || ::rename(temp.c_str(), path.c_str()) != 0)
        return removeAfter(temp, errno);
    // The rename reaches the disk with the folder's own entry list.
    const int folder = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder < 0)
        return folderNotSynced(errno);
    const bool synced = ::fsync(folder) == 0;
    const int error = errno;
    ::close(folder);
    if (!synced)
        return folderNotSynced(error);
    return {};
}

} // namespace platform
