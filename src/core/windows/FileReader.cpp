#include "core/FileReader.h"

#include "core/windows/FileHandle.h"
#include "core/windows/FileHolds.h"
#include "core/windows/WidePath.h"

#include <algorithm>

namespace {
// The file's attributes, or false when nothing is there.
bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring wide = widePath(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) != 0;
}

// Nothing there to read: no such file, or a folder or a device. A file
// being deleted is still there (and its attributes are refused).
bool nothingToRead(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (attributesOf(path, data)) {
        return (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0;
    }
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
           error == ERROR_INVALID_NAME;
}

// One try at the whole file: false, with the system's error, when it cannot
// be opened or a read fails (a part locked by another program fails it).
bool readOnce(const FileHandle& file, std::string& bytes, size_t limit) {
    bytes.clear();
    char chunk[65536];
    while (bytes.size() < limit) {
        const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
        DWORD got = 0;
        if (ReadFile(file.get(), chunk, wanted, &got, nullptr) == 0) {
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    return true;
}
} // namespace

ReadResult readFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    const std::wstring wide = widePath(path);
    if (wide.empty() || nothingToRead(path)) {
        return ReadResult::Missing;
    }
    bool device = false;
    const bool read = retryWhileHeld(path, "read", [&] {
        FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        // A device (CON, NUL, a pipe) is closed again at once.
        device = file.isOpen() && GetFileType(file.get()) != FILE_TYPE_DISK;
        if (device) {
            SetLastError(ERROR_BAD_FILE_TYPE);
        }
        return file.isOpen() && !device && readOnce(file, bytes, limit);
    });
    if (read) {
        return ReadResult::Read;
    }
    const DWORD error = GetLastError();
    bytes.clear();
    // A file deleted meanwhile is missing after all.
    const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    return device || gone ? ReadResult::Missing : ReadResult::Unreadable;
}

bool isRegularFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributesOf(path, data) &&
           (data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

bool isSpecialFile(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    return attributesOf(path, data) &&
           ((data.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) != 0);
}

int64_t fileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!attributesOf(path, data)) {
        return 0;
    }
    return static_cast<int64_t>((uint64_t{data.nFileSizeHigh} << 32U) | data.nFileSizeLow);
}
