#include "core/windows/FileHolds.h"

#include <cstdio>

namespace {
// About as long as Windows' own tools wait, and short enough that a file held
// for good costs the player only a moment.
constexpr ULONGLONG waitMs = 2000;
constexpr DWORD pauseMs = 20;
// STATUS_DELETE_PENDING (ntstatus.h clashes with windows.h).
constexpr LONG deletePending = static_cast<LONG>(0xC0000056);

// A file being deleted refuses to open with the same error as a refused
// access; only the system's own status, kept by the thread, tells them apart.
bool isBeingDeleted() {
    using LastStatus = LONG(WINAPI*)();
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    const auto lastStatus = ntdll == nullptr ? nullptr
                                             : reinterpret_cast<LastStatus>(reinterpret_cast<void*>(
                                                   GetProcAddress(ntdll, "RtlGetLastNtStatus")));
    return lastStatus != nullptr && lastStatus() == deletePending;
}
} // namespace

const char* holdOf(DWORD error) {
    switch (error) {
    case ERROR_SHARING_VIOLATION:
        return "another program is using it";
    case ERROR_LOCK_VIOLATION:
        return "another program has locked it";
    case ERROR_ACCESS_DENIED:
        return isBeingDeleted() ? "it is being deleted" : nullptr;
    default:
        return nullptr;
    }
}

const char* holdOrRefusalOf(DWORD error) {
    const char* const hold = holdOf(error);
    if (hold == nullptr && error == ERROR_ACCESS_DENIED) {
        return "access is denied (another program may be using it)";
    }
    return hold;
}

bool retryWhileHeld(const std::string& path, const char* failed,
                    const std::function<bool()>& attempt, const char* (*hold)(DWORD)) {
    const ULONGLONG end = GetTickCount64() + waitMs;
    for (;;) {
        if (attempt()) {
            return true;
        }
        const DWORD error = GetLastError();
        const char* const cause = hold(error);
        if (cause == nullptr) {
            return false;
        }
        if (GetTickCount64() >= end) {
            std::printf("%s could not be %s: %s\n", path.c_str(), failed, cause);
            SetLastError(error);
            return false;
        }
        Sleep(pauseMs);
    }
}
