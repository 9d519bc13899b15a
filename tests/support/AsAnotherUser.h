#pragma once
// POSIX: while one lives, files are opened, made and checked as user and
// group 65534 when the test runs as root (root writes through any mode bits);
// otherwise nothing changes.
#include <sys/fsuid.h>
#include <unistd.h>

class AsAnotherUser {
  public:
    static constexpr uid_t id = 65534;

    AsAnotherUser() {
        if (asRoot) {
            setfsgid(id);
            setfsuid(id);
        }
    }
    ~AsAnotherUser() {
        if (asRoot) {
            setfsuid(0);
            setfsgid(0);
        }
    }
    AsAnotherUser(const AsAnotherUser&) = delete;
    AsAnotherUser& operator=(const AsAnotherUser&) = delete;

  private:
    const bool asRoot = geteuid() == 0;
};
