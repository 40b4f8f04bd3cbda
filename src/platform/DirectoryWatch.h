#pragma once

#include <string>

namespace platform {

// Notice of entries made or removed in one folder (inotify): the hot-plug notice of /dev where
// no udevd runs, since the kernel's devtmpfs makes and removes the device nodes itself.
class DirectoryWatch
{
public:
    explicit DirectoryWatch(const std::string& folder);
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Readable while a notice waits; -1 when the folder cannot be watched.
    int fd() const { return m_fd; }
    // Takes every notice waiting.
    void drain();

private:
    int m_fd = -1;
};

} // namespace platform
