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

// A folder with the game's own Resources folders in it, though none of its files.
bool holdsResources(const fs::path& folder) {
    std::error_code error;
    return !folder.empty() && (fs::is_directory(folder / "Resources" / "Assets", error) ||
                               fs::is_directory(folder / "Resources" / "Data", error));
}

// The folder the program lies in, as SDL finds it (UTF-8), or empty.
fs::path programFolder() {
    const std::unique_ptr<char, decltype(&SDL_free)> base(SDL_GetBasePath(), SDL_free);
    return base ? fs::u8path(base.get()) : fs::path();
}

std::string shown(const fs::path& folder) {
    return folder.empty() ? "unknown" : folder.u8string();
}

// The font at its path in `folder`, and where it leads when it is a link (to
// a font package's file that is gone, say).
std::string missingFont(const fs::path& folder, const std::string& font) {
    const fs::path path = (folder / fs::u8path(font)).make_preferred();
    std::string said = "The game's font is missing: " + path.u8string();
    std::error_code error;
    const fs::path target = fs::read_symlink(path, error);
    if (!error) {
        const fs::path linkFolder = fs::canonical(path.parent_path(), error);
        said += " is a link to " +
                (error ? target : (linkFolder / target).lexically_normal()).u8string() +
                ", which is not there";
    }
    return said;
}
} // namespace

bool enterGameFolder(const std::vector<std::string>& gameFiles, std::string& problem) {
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
    if (holdsResources(working) || holdsResources(program)) {
        problem = missingFont(holdsResources(working) ? working : program, gameFiles.front());
    } else {
        problem = "The game's Resources folder is in neither the working folder (" +
                  shown(working) + ") nor the program's folder (" + shown(program) + ")";
    }
    return false;
}
