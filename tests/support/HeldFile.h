#pragma once
// Windows: a file that another program holds, as virus scanners, sync tools
// and editors do, played by a handle of the test's own: opened without
// sharing, or deleted while still open (so that it stays there, being
// deleted, until the handle is closed). Let go of when it ends,
// or earlier from a thread of its own while the test goes on.
#include <windows.h>

#include <filesystem>
#include <string>
#include <thread>

class HeldFile {
  public:
    enum class Hold { Unshared, Deleting };

    HeldFile(const std::string& path, Hold hold) {
        const DWORD sharing =
            hold == Hold::Unshared ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
        const std::wstring wide = std::filesystem::u8path(path).wstring();
        handle = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, sharing, nullptr,
                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        held = handle != INVALID_HANDLE_VALUE &&
               (hold != Hold::Deleting || DeleteFileW(wide.c_str()) != 0);
    }
    ~HeldFile() {
        if (releaser.joinable()) {
            releaser.join();
        }
        release();
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

    // Whether the hold could be taken.
    bool isHeld() const { return held; }
    // Lets go after `ms` milliseconds, from a thread.
    void releaseAfter(DWORD ms) {
        releaser = std::thread([this, ms] {
            Sleep(ms);
            release();
        });
    }

  private:
    void release() {
        if (handle != INVALID_HANDLE_VALUE) {
            CloseHandle(handle);
            handle = INVALID_HANDLE_VALUE;
        }
    }

    HANDLE handle = INVALID_HANDLE_VALUE;
    bool held = false;
    std::thread releaser;
};
