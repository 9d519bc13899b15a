#pragma once
// POSIX: while one lives, files are opened, made and checked as user and
// group 65534 when the test runs as root (root writes through any mode bits);
// otherwise nothing changes. The browser's file system has one user, whom the
// mode bits bind however it is named: nothing changes there either.
#ifndef __EMSCRIPTEN__
#include <sys/fsuid.h>
#endif
#include <unistd.h>

class AsAnotherUser {
  public:
    static constexpr uid_t id = 65534;

#ifndef __EMSCRIPTEN__
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
#else
    AsAnotherUser() = default;
    ~AsAnotherUser() = default;
#endif
    AsAnotherUser(const AsAnotherUser&) = delete;
    AsAnotherUser& operator=(const AsAnotherUser&) = delete;

  private:
#ifndef __EMSCRIPTEN__
    const bool asRoot = geteuid() == 0;
#endif
};
