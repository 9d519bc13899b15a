#pragma once
// While one lives, the file is there but the test cannot read it. On Windows
// another handle holds it without sharing; elsewhere its mode lets only
// writes in, and when the test runs as root (which reads through any mode)
// file access goes through another user, who is given the file and its folder
// (a path relative to the test's working folder).
#include <filesystem>
#include <memory>
#include <string>
#ifdef _WIN32
#include "support/HeldFile.h"
#else
#include "support/AsAnotherUser.h"
#endif

class UnreadableFile {
  public:
    explicit UnreadableFile(const std::string& path) : path(path) {
#ifdef _WIN32
        hold = std::make_unique<HeldFile>(path, HeldFile::Hold::Unshared);
#else
        namespace fs = std::filesystem;
        fs::permissions(path, fs::perms::owner_write);
        if (geteuid() == 0) {
            // The other user must reach the file from the working folder (the test's workspace).
            fs::permissions(".", fs::perms::others_exec, fs::perm_options::add);
            const bool given = chown(path.c_str(), AsAnotherUser::id, AsAnotherUser::id) == 0 &&
                               chown(fs::path(path).parent_path().c_str(), AsAnotherUser::id,
                                     AsAnotherUser::id) == 0;
            (void)given; // the test's own checks show a failure
        }
        other = std::make_unique<AsAnotherUser>();
#endif
    }
    ~UnreadableFile() {
#ifdef _WIN32
        hold.reset();
#else
        other.reset();
        std::filesystem::permissions(path, std::filesystem::perms(0644));
#endif
    }
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

  private:
    std::string path;
#ifdef _WIN32
    std::unique_ptr<HeldFile> hold;
#else
    std::unique_ptr<AsAnotherUser> other;
#endif
};
