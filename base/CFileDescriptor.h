#pragma once

#include <utility>

#include <unistd.h>

// Owns a file descriptor and closes it when it goes, unless it was closed (and checked) on
// purpose first. -1 stands for none.
class CFileDescriptor
{
public:
    CFileDescriptor() = default;
    explicit CFileDescriptor(int nFd) : m_nFd(nFd) {}
    ~CFileDescriptor()
    {
        if (m_nFd >= 0)
            ::close(m_nFd);
    }
    CFileDescriptor(CFileDescriptor&& other) noexcept : m_nFd(std::exchange(other.m_nFd, -1)) {}
    CFileDescriptor& operator=(CFileDescriptor&& other) noexcept
    {
        if (this != &other)
        {
            if (m_nFd >= 0)
                ::close(m_nFd);
            m_nFd = std::exchange(other.m_nFd, -1);
        }
        return *this;
    }

    int Get() const { return m_nFd; }
    bool IsOpen() const { return m_nFd >= 0; }
    // Closes now; false when the close reported an error (a write that never reached the disk).
    bool Close() { return ::close(std::exchange(m_nFd, -1)) == 0; }

private:
    int m_nFd = -1;
};
