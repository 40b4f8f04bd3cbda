#include "RegularFile.h"

#include "core/PrintableText.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

core::Bilingual kindReason(const std::string& path, mode_t mode)
{
    const std::string shown = core::printable(path);
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return {shown + " is a device, not a file", shown + " 是设备,不是文件"};
    if (S_ISFIFO(mode))
        return {
            shown + " is a FIFO (named pipe), not a file", shown + " 是命名管道 (FIFO),不是文件"};
    if (S_ISSOCK(mode))
        return {shown + " is a socket, not a file", shown + " 是套接字,不是文件"};
    if (S_ISDIR(mode))
        return {shown + " is a folder, not a file", shown + " 是文件夹,不是文件"};
    return {shown + " is not a regular file", shown + " 不是普通文件"};
}

} // namespace

core::Bilingual systemReason(int error)
{
    return {std::strerror(error), std::strerror(error)};
}

std::optional<core::Bilingual> notARegularFile(const std::string& path)
{
    struct stat info
    { };
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return std::nullopt;
    return kindReason(path, info.st_mode);
}

std::variant<int, core::Bilingual> openRegularFile(const std::string& path, int flags, mode_t mode)
{
    if (auto refused = notARegularFile(path))
        return *refused;
    const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, mode);
    if (fd < 0)
        return systemReason(errno);
    struct stat info
    { };
    const bool known = ::fstat(fd, &info) == 0;
    const int status = known && S_ISREG(info.st_mode) ? ::fcntl(fd, F_GETFL) : -1;
    if (status >= 0 && ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) == 0)
        return fd;
    const int error = errno;
    ::close(fd);
    if (known && !S_ISREG(info.st_mode))
        return kindReason(path, info.st_mode);
    return systemReason(error);
}

} // namespace platform
