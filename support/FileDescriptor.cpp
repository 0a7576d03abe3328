#include "support/FileDescriptor.h"

#include <utility>

#include <unistd.h>

FileDescriptor::FileDescriptor(FileDescriptor&& other) noexcept : m_fd(std::exchange(other.m_fd, -1)) {}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        Reset();
        m_fd = std::exchange(other.m_fd, -1);
    }
    return *this;
}

void FileDescriptor::Reset() {
    if (m_fd >= 0)
        ::close(m_fd);
    m_fd = -1;
}
