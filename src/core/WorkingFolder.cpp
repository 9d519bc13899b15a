#include "core/WorkingFolder.h"

#include <SDL.h>

#include <filesystem>
#include <memory>
#include <system_error>

namespace {
namespace fs = std::filesystem;

bool holdsResources(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "Resources", error);
}

// The folder the program lies in, as SDL finds it (UTF-8), or empty.
fs::path programFolder() {
    const std::unique_ptr<char, decltype(&SDL_free)> base(SDL_GetBasePath(), SDL_free);
    return base ? fs::u8path(base.get()) : fs::path();
}

std::string shown(const fs::path& folder) {
    return folder.empty() ? "unknown" : folder.u8string();
}
} // namespace

bool enterGameFolder(std::string& looked) {
    std::error_code error;
    const fs::path working = fs::current_path(error);
    if (holdsResources(".")) {
        return true;
    }
    const fs::path program = programFolder();
    if (!program.empty() && holdsResources(program)) {
        fs::current_path(program, error);
        if (!error) {
            return true;
        }
    }
    looked = "the working folder (" + shown(working) + ") nor the program's folder (" +
             shown(program) + ")";
    return false;
}
