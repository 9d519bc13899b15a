#include "core/FileReader.h"

#include "core/posix/FileDescriptor.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace {
// Non-blocking, so that opening a FIFO cannot wait for a writer; anything but
// a regular file is closed again at once.
FileDescriptor openRegularFile(const std::string& path) {
    FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat status {};
    if (file.isOpen() && (::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode))) {
        file.close();
    }
    return file;
}
} // namespace

ReadResult readFile(const std::string& path, std::string& bytes, size_t limit) {
    bytes.clear();
    const FileDescriptor file = openRegularFile(path);
    if (!file.isOpen()) {
        // A regular file that is there but will not open is not missing.
        return isRegularFile(path) ? ReadResult::Unreadable : ReadResult::Missing;
    }
    char chunk[65536];
    while (bytes.size() < limit) {
        const size_t wanted = std::min(sizeof chunk, limit - bytes.size());
        const ssize_t got = ::read(file.get(), chunk, wanted);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            bytes.clear();
            return ReadResult::Unreadable;
        }
        if (got == 0) {
            break;
        }
        bytes.append(chunk, static_cast<size_t>(got));
    }
    return ReadResult::Read;
}

bool isRegularFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

bool isSpecialFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
}

int64_t fileSize(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 ? static_cast<int64_t>(status.st_size) : 0;
}
