#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <termios.h>
#include <unistd.h>

// A pseudo-terminal: the program opens the slave like a serial device, the test plays the
// radio on the master.
class Pty
{
public:
    Pty()
    {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        EXPECT_GE(m_master, 0);
        ::grantpt(m_master);
        ::unlockpt(m_master);
        m_slave = ::ptsname(m_master);
    }
    ~Pty() { closeMaster(); }

    const std::string& slave() const { return m_slave; }
    int master() const { return m_master; }
    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }
    termios settings() const
    {
        termios tio {};
        EXPECT_EQ(::tcgetattr(m_master, &tio), 0);
        return tio;
    }
    std::string readMaster(std::size_t expected)
    {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
        char buffer[256];
        ::fcntl(m_master, F_SETFL, O_NONBLOCK);
        while (got.size() < expected && std::chrono::steady_clock::now() < deadline) {
            const ssize_t n = ::read(m_master, buffer, sizeof buffer);
            if (n > 0)
                got.append(buffer, static_cast<std::size_t>(n));
            else
                ::usleep(1000);
        }
        return got;
    }

private:
    int m_master = -1;
    std::string m_slave;
};
