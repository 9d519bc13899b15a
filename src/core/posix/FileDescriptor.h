#pragma once
// An open POSIX file descriptor, closed when its owner lets go.
#include <unistd.h>

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd = -1) : fd(fd) {}
    ~FileDescriptor() {
        if (fd >= 0) {
            ::close(fd);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    FileDescriptor(FileDescriptor&& other) noexcept : fd(other.fd) { other.fd = -1; }
    FileDescriptor& operator=(FileDescriptor&&) = delete;

    int get() const { return fd; }
    bool isOpen() const { return fd >= 0; }
    // Closes now and reports whether the close succeeded (a write may fail only then).
    bool close() {
        const int closing = fd;
        fd = -1;
        return closing < 0 || ::close(closing) == 0;
    }

  private:
    int fd;
};
