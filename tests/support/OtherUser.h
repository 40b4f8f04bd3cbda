#pragma once

#include <functional>
#include <sys/wait.h>
#include <unistd.h>

// Runs check as a user whose permissions are checked and who cannot see other users' open
// files: the test itself when it runs without root, else a child process as nobody (uid and gid
// 65534). Returns check's result (0 for success), 100 when the child could not change user.
inline int asUnprivilegedUser(const std::function<int()>& check)
{
    if (::geteuid() != 0)
        return check();
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(100);
        ::_exit(check());
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 101;
}
