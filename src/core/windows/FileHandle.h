#pragma once
// An open Windows file handle, closed when its owner lets go.
#include <windows.h>

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle(handle) {}
    ~FileHandle() {
        if (isOpen()) {
            CloseHandle(handle);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& other) noexcept : handle(other.handle) {
        other.handle = INVALID_HANDLE_VALUE;
    }
    FileHandle& operator=(FileHandle&&) = delete;

    HANDLE get() const { return handle; }
    bool isOpen() const { return handle != INVALID_HANDLE_VALUE; }
    // Closes now and reports whether the close succeeded.
    bool close() {
        const HANDLE closing = handle;
        handle = INVALID_HANDLE_VALUE;
        return closing == INVALID_HANDLE_VALUE || CloseHandle(closing) != 0;
    }

  private:
    HANDLE handle;
};
