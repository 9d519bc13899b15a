#include "core/FileReader.h"

#include "core/windows/FileHandle.h"
#include "core/windows/WidePath.h"

#include <algorithm>

namespace {
// Only a file on a disk: a folder cannot be opened this way, and a device
// (CON, NUL, a pipe) is closed again at once.
FileHandle openRegularFile(const std::string& path) {
    const std::wstring wide = widePath(path);
    if (wide.empty()) {
        return FileHandle();
    }
    FileHandle file(CreateFileW(wide.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.isOpen() && GetFileType(file.get()) != FILE_TYPE_DISK) {
        file.close();
    }
    return file;
}

// The file's attributes, or false when nothing is there.
bool attributesOf(const std::string& path, WIN32_FILE_ATTRIBUTE_DATA& data) {
    const std::wstring wide = widePath(path);
    return !wide.empty() && GetFileAttributesExW(wide.c_str(), GetFileExInfoStandard, &data) != 0;
}
} // namespace

bool readFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    const FileHandle file = openRegularFile(path);
    if (!file.isOpen()) {
        return false;
    }
    char chunk[65536];
    while (bytes.size() < limit) {
        const auto wanted = static_cast<DWORD>(std::min(sizeof chunk, limit - bytes.size()));
        DWORD got = 0;
        if (ReadFile(file.get(), chunk, wanted, &got, nullptr) == 0) {
            bytes.clear();
            return false;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, got);
    }
    return true;
}

bool isReadableFile(const std::string& path) {
    return openRegularFile(path).isOpen();
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
