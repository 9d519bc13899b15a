#include "core/FileReplacer.h"

#include "core/posix/FileDescriptor.h"
#include "core/posix/Folder.h"

#include <algorithm>
#include <cctype>
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
// mkostemp's unique part: as many letters or digits as its template has Xs.
constexpr size_t uniqueLength = 6;

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
    written = (!durable || syncFile(file.get())) && written;
    return file.close() && written;
}

// True when a call to change a file's mode or owner went through, or failed
// only because the file system cannot keep modes or owners (FAT, some network
// and FUSE file systems) or because only root may give a file away: the file
// is written all the same.
bool keptOrUnsupported(int result) {
    // (ENOTSUP is EOPNOTSUPP here.)
    return result == 0 || errno == EPERM || errno == ENOSYS || errno == ENOTSUP;
}

// Gives the new file the old one's permission bits and owner. A new file gets
// what a plain fopen would have given it, and, when the game runs as root, the
// owner of its folder, so that the player whose folder it is can rewrite it.
bool takeOver(int fd, const struct stat* old, const std::string& folder) {
    struct stat owner {};
    bool giveAway = old != nullptr;
    mode_t mode = 0;
    if (old != nullptr) {
        owner = *old;
        mode = old->st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = newFileMode & ~mask;
        giveAway = ::geteuid() == 0 && ::stat(folder.c_str(), &owner) == 0;
    }
    return keptOrUnsupported(::fchmod(fd, mode)) &&
           (!giveAway || keptOrUnsupported(::fchown(fd, owner.st_uid, owner.st_gid)));
}

// When the folder takes no temporary file (it is read-only) or lets none be
// renamed or removed (it is append-only or immutable), the file is rewritten
// where it is, though not atomically. The new bytes go over the old ones and
// only then is the old tail cut off: a kill at any moment leaves the file no
// shorter than its old contents until the new ones are complete, never empty.
// A missing file is made there when the folder allows it.
bool writeInPlace(const std::string& target, const std::string& bytes, bool durable, bool exists) {
    const int create = exists ? 0 : O_CREAT | O_EXCL;
    FileDescriptor file(::open(
        target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW | create, newFileMode));
    struct stat status {};
    if (!file.isOpen() || ::fstat(file.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
        (!exists && !takeOver(file.get(), nullptr, folderOf(target)))) {
        return false;
    }
    const bool written = writeAll(file.get(), bytes) &&
                         ::ftruncate(file.get(), static_cast<off_t>(bytes.size())) == 0;
    return finish(file, written, durable);
}

// The file replaced (the links already followed), and nothing told of it.
bool replaceTarget(const std::string& target, const std::string& bytes, bool durable) {
    struct stat existing {};
    const bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && (!S_ISREG(existing.st_mode) ||
                   ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)) {
        return false;
    }
    const std::string folder = folderOf(target);
    if (keepsEveryName(folder)) {
        return writeInPlace(target, bytes, durable, exists);
    }
    // The process's number in the name tells a later game whose leftover a
    // killed write left behind.
    std::string temporary =
        target + ".tmp." + std::to_string(::getpid()) + "." + std::string(uniqueLength, 'X');
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.isOpen()) {
        const bool folderReadOnly = errno == EACCES || errno == EPERM || errno == EROFS;
        return exists && folderReadOnly && writeInPlace(target, bytes, durable, exists);
    }
    if (!takeOver(file.get(), exists ? &existing : nullptr, folder) ||
        !finish(file, writeAll(file.get(), bytes), durable)) {
        ::unlink(temporary.c_str());
        return false;
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        // A folder that refuses the rename (say, the target is another user's
        // in a sticky folder) may still let the file be written where it is.
        const bool refused = errno == EPERM;
        ::unlink(temporary.c_str());
        return refused && writeInPlace(target, bytes, durable, exists);
    }
    return true;
}
} // namespace

bool isTemporarySuffix(const std::string& suffix) {
    return suffix.size() == uniqueLength && std::all_of(suffix.begin(), suffix.end(), [](char c) {
               return std::isalnum(static_cast<unsigned char>(c)) != 0;
           });
}

bool replaceFile(const std::string& path, const std::string& bytes, bool durable) {
    const std::string target = followLinks(path);
    if (target.empty() || !replaceTarget(target, bytes, durable)) {
        return false;
    }
    folderChanged(folderOf(target), durable);
    return true;
}
