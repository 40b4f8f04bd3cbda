#include "DirectoryWatch.h"

#include <sys/inotify.h>
#include <unistd.h>

namespace platform {

DirectoryWatch::DirectoryWatch(const std::string& folder)
    : m_fd(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC))
{
    if (m_fd >= 0
        && ::inotify_add_watch(
               m_fd, folder.c_str(), IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO)
            < 0) {
        ::close(m_fd);
        m_fd = -1;
    }
}

DirectoryWatch::~DirectoryWatch()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

void DirectoryWatch::drain()
{
    alignas(inotify_event) char events[4096];
    while (m_fd >= 0 && ::read(m_fd, events, sizeof events) > 0) { }
}

} // namespace platform
