#include "core/FileReplacer.h"

#include "core/windows/FileHandle.h"
#include "core/windows/FileHolds.h"
#include "core/windows/WidePath.h"

#include <algorithm>
#include <charconv>

namespace {
// A temporary name beside the target that nothing else holds: a leftover of
// an earlier game with the same process number only moves it on.
constexpr unsigned maxAttempts = 100;

FileHandle createTemporary(const std::wstring& target, std::wstring& temporary) {
    const std::wstring stem = target + L".tmp." + std::to_wstring(GetCurrentProcessId()) + L".";
    for (unsigned attempt = 0; attempt < maxAttempts; ++attempt) {
        temporary = stem + std::to_wstring(attempt);
        FileHandle file(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.isOpen() || GetLastError() != ERROR_FILE_EXISTS) {
            return file;
        }
    }
    return FileHandle();
}

bool writeAll(HANDLE file, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const auto wanted = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1U << 30U));
        DWORD written = 0;
        if (WriteFile(file, bytes.data() + done, wanted, &written, nullptr) == 0 || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

// Optionally flushes to the disk, and closes even after a failed write; false
// if the write or either step failed.
bool finish(FileHandle& file, bool written, bool durable) {
    written = (!durable || FlushFileBuffers(file.get()) != 0) && written;
    return file.close() && written;
}

// When no file can be made beside it (a folder the player may not add to),
// the file is rewritten where it is, though not atomically: the new bytes go
// over the old ones and only then is the old tail cut off, so a kill never
// leaves it emptied.
bool writeInPlace(const std::string& path, const std::wstring& target, const std::string& bytes,
                  bool durable) {
    HANDLE opened = INVALID_HANDLE_VALUE;
    retryWhileHeld(path, "written", [&] {
        opened = CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        return opened != INVALID_HANDLE_VALUE;
    });
    FileHandle file(opened);
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(bytes.size());
    const bool written = file.isOpen() && GetFileType(file.get()) == FILE_TYPE_DISK &&
                         writeAll(file.get(), bytes) &&
                         SetFilePointerEx(file.get(), end, nullptr, FILE_BEGIN) != 0 &&
                         SetEndOfFile(file.get()) != 0;
    return file.isOpen() && finish(file, written, durable);
}
} // namespace

bool isTemporarySuffix(const std::string& suffix) {
    unsigned attempt = 0;
    const char* end = suffix.data() + suffix.size();
    const auto [last, error] = std::from_chars(suffix.data(), end, attempt);
    // As the count is written: decimal, without a leading zero.
    return error == std::errc() && last == end && attempt < maxAttempts &&
           std::to_string(attempt) == suffix;
}

bool replaceFile(const std::string& path, const std::string& bytes, bool durable) {
    const std::wstring target = widePath(path);
    if (target.empty()) {
        return false;
    }
    // A folder or a device is not a data file, and a read-only file is the
    // player's way of keeping it as it is.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    constexpr DWORD untouchable =
        FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY;
    if (exists && (attributes & untouchable) != 0) {
        return false;
    }
    std::wstring temporary;
    FileHandle file = createTemporary(target, temporary);
    if (!file.isOpen()) {
        return exists && GetLastError() == ERROR_ACCESS_DENIED &&
               writeInPlace(path, target, bytes, durable);
    }
    // The rename replaces the old file in one step; with write-through it is
    // on the disk when it returns. A program holding the old file open stops
    // it for the moment: that is waited out.
    if (!finish(file, writeAll(file.get(), bytes), durable) ||
        !retryWhileHeld(
            path, "written",
            [&] {
                return MoveFileExW(temporary.c_str(), target.c_str(),
                                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
            },
            holdOrRefusalOf)) {
        DeleteFileW(temporary.c_str());
        return false;
    }
    return true;
}
