#include "core/WorkingFolder.h"

#include <SDL.h>

#include <filesystem>
#include <memory>
#include <system_error>

namespace {
namespace fs = std::filesystem;

bool holds(const fs::path& folder, const std::string& gameFile) {
    std::error_code error;
    return fs::is_regular_file(folder / fs::u8path(gameFile), error);
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

bool enterGameFolder(const std::vector<std::string>& gameFiles, std::string& looked) {
    std::error_code error;
    const fs::path working = fs::current_path(error);
    const fs::path program = programFolder();
    for (const std::string& file : gameFiles) {
        if (holds(".", file)) {
            return true;
        }
        if (!program.empty() && holds(program, file)) {
            fs::current_path(program, error);
            if (!error) {
                return true;
            }
        }
    }
    looked = "the working folder (" + shown(working) + ") nor the program's folder (" +
             shown(program) + ")";
    return false;
}
