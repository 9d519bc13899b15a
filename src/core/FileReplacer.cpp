#include "core/FileReplacer.h"

#include "core/FileDescriptor.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {
// As many links as the system itself follows before it gives up.
constexpr int maxLinks = 40;
// What a new file gets (before the umask), as a plain fopen would give it.
constexpr mode_t newFileMode = 0666;

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash == 0 ? 1 : slash);
}

// The file a chain of symbolic links ends at (it need not exist yet), or ""
// when the chain is too long or unreadable.
std::string followLinks(std::string path) {
    for (int i = 0; i < maxLinks; ++i) {
        struct stat status {};
        if (::lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
            return path;
        }
        std::vector<char> target(PATH_MAX + 1);
        const ssize_t length = ::readlink(path.c_str(), target.data(), PATH_MAX);
        // A target that fills the whole buffer may have been cut short.
        if (length <= 0 || length >= PATH_MAX) {
            return "";
        }
        const std::string link(target.data(), static_cast<size_t>(length));
        if (link.front() == '/') {
            path = link;
        } else {
            path = folderOf(path);
            path += '/';
            path += link;
        }
    }
    return "";
}

bool writeAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

// Optionally syncs, and closes even after a failed write; false if the write
// or either step failed.
bool finish(FileDescriptor& file, bool written, bool durable) {
    written = (!durable || ::fsync(file.get()) == 0) && written;
    return file.close() && written;
}

// Gives the new file the old one's permission bits and, where the system
// allows it (only root may give a file away), its owner; a new file gets what
// a plain fopen would have given it.
bool takeOver(int fd, const struct stat* old) {
    if (old == nullptr) {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return ::fchmod(fd, newFileMode & ~mask) == 0;
    }
    return ::fchmod(fd, old->st_mode & 07777) == 0 &&
           (::fchown(fd, old->st_uid, old->st_gid) == 0 || errno == EPERM);
}

// When no temporary file can be made beside it (a read-only folder), the file
// can still be rewritten where it is, though not atomically. The new bytes go
// over the old ones and only then is the old tail cut off: a kill at any
// moment leaves the file no shorter than its old contents until the new ones
// are complete, never empty.
bool writeInPlace(const std::string& target, const std::string& bytes, bool durable) {
    FileDescriptor file(::open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        return false;
    }
    const bool written = writeAll(file.get(), bytes) &&
                         ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0;
    return finish(file, written, durable);
}

void syncFolder(const std::string& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen()) {
        ::fsync(directory.get());
    }
}
} // namespace

bool replaceFile(const std::string& path, const std::string& bytes, bool durable) {
    const std::string target = followLinks(path);
    if (target.empty()) {
        return false;
    }
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) ||
                   ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    std::string temporary = target + ".tmp.XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.isOpen()) {
        const bool folderReadOnly = errno == EACCES || errno == EPERM || errno == EROFS;
        return exists && folderReadOnly && writeInPlace(target, bytes, durable);
    }
    if (!takeOver(file.get(), exists ? &existing : nullptr) ||
        !finish(file, writeAll(file.get(), bytes), durable) ||
        std::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (durable) {
        syncFolder(folderOf(target));
    }
    return true;
}
