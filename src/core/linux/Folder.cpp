#include "core/posix/Folder.h"

#include "core/posix/FileDescriptor.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>

bool syncFile(int fd) {
    return ::fsync(fd) == 0;
}

bool keepsEveryName(const std::string& folder) {
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    int flags = 0;
    return directory.isOpen() && ::ioctl(directory.get(), FS_IOC_GETFLAGS, &flags) == 0 &&
           (flags & (FS_APPEND_FL | FS_IMMUTABLE_FL)) != 0;
}

void folderChanged(const std::string& folder, bool durable) {
    // The file itself was synced before its rename; the folder holds the new name.
    if (!durable) {
        return;
    }
    const FileDescriptor directory(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (directory.isOpen()) {
        ::fsync(directory.get());
    }
}
