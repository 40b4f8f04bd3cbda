#include "DeviceHolder.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <grp.h>
#include <sstream>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>
#include <vector>

namespace platform {

namespace {

// The processes that hold a lock (flock or fcntl) on the file, from /proc/locks.
std::vector<int> lockingProcesses(const struct stat& target)
{
    char file[64];
    std::snprintf(file, sizeof file, "%02x:%02x:%lu", ::major(target.st_dev),
        ::minor(target.st_dev), static_cast<unsigned long>(target.st_ino));
    std::vector<int> pids;
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string number, kind, mode, access, pid, where;
        fields >> number >> kind >> mode >> access >> pid >> where;
        if (where == file)
            pids.push_back(std::atoi(pid.c_str()));
    }
    return pids;
}

// Whether the process whose fd folder this is has the device open; hidden is set when the
// folder cannot be read for lack of permission (another user's process seen without root).
bool hasOpen(const std::string& fdDir, const struct stat& target, bool& hidden)
{
    DIR* fds = ::opendir(fdDir.c_str());
    if (!fds) {
        hidden = hidden || errno == EACCES || errno == EPERM;
        return false; // another user's process, or gone
    }
    bool found = false;
    while (const dirent* fd = ::readdir(fds)) {
        struct stat opened
        { };
        if (fd->d_name[0] != '.' && ::stat((fdDir + "/" + fd->d_name).c_str(), &opened) == 0
            && S_ISCHR(opened.st_mode) && opened.st_rdev == target.st_rdev) {
            found = true;
            break;
        }
    }
    ::closedir(fds);
    return found;
}

} // namespace

DeviceHolder findDeviceHolder(const std::string& path)
{
    struct stat target
    { };
    if (::stat(path.c_str(), &target) != 0)
        return {};
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return {};
    // A lock names the program that took the port; it counts only while that process still
    // has the device open (a lock taken before a fork lives on in the child).
    const std::vector<int> lockers = lockingProcesses(target);
    DeviceHolder holder;
    const int self = static_cast<int>(::getpid());
    while (const dirent* process = ::readdir(proc)) {
        const int pid = std::atoi(process->d_name);
        if (pid <= 0 || pid == self
            || !hasOpen("/proc/" + std::to_string(pid) + "/fd", target, holder.othersHidden))
            continue;
        const bool locker = std::find(lockers.begin(), lockers.end(), pid) != lockers.end();
        if (holder.pid == 0 || locker) {
            holder.pid = pid;
            holder.name.clear();
            std::ifstream("/proc/" + std::to_string(pid) + "/comm") >> holder.name;
        }
        if (locker)
            break;
    }
    ::closedir(proc);
    return holder;
}

std::string groupOf(const std::string& path)
{
    struct stat info
    { };
    if (::stat(path.c_str(), &info) != 0)
        return {};
    if (const group* entry = ::getgrgid(info.st_gid))
        return entry->gr_name;
    return std::to_string(info.st_gid);
}

} // namespace platform
