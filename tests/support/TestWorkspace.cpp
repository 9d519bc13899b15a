#include "support/TestWorkspace.h"

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#ifdef __EMSCRIPTEN__
#include "core/Process.h"
#endif

namespace fs = std::filesystem;

TestWorkspace::TestWorkspace(Layout layout) {
#ifdef __EMSCRIPTEN__
    // The browser's C library masks every permission off new files until the
    // game's process preparation sets the usual mask: files are made here as
    // they are in the game.
    prepareProcess();
#endif
    previous = fs::current_path().string();
    // A new folder under a random name: one that is there already is never used.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && root.empty(); ++attempt) {
        const fs::path folder =
            fs::temp_directory_path() / ("quarrow-test-" + std::to_string(random()));
        if (fs::create_directory(folder)) {
            fs::permissions(folder, fs::perms::owner_all);
            root = folder.string();
        }
    }
    if (root.empty()) {
        throw std::runtime_error("cannot make a temporary folder");
    }
    fs::create_directories(fs::path(root) / "Resources");
    if (layout.assets) {
        fs::copy(fs::path(QUARROW_SOURCE_DIR) / "Resources" / "Assets",
                 fs::path(root) / "Resources" / "Assets", fs::copy_options::recursive);
    }
    if (layout.dataFolder) {
        fs::create_directories(fs::path(root) / "Resources" / "Data");
    }
    fs::current_path(root);
}

TestWorkspace::~TestWorkspace() {
    std::error_code ignored;
    fs::current_path(previous, ignored);
    fs::remove_all(root, ignored);
}

void TestWorkspace::write(const std::string& relative, const std::string& bytes) const {
    std::ofstream file(fs::path(root) / relative, std::ios::binary | std::ios::trunc);
    file << bytes;
}

std::string TestWorkspace::read(const std::string& relative) const {
    std::ifstream file(fs::path(root) / relative, std::ios::binary);
    if (!file) {
        return "<missing>";
    }
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

bool TestWorkspace::exists(const std::string& relative) const {
    return fs::exists(fs::path(root) / relative);
}

void TestWorkspace::remove(const std::string& relative) const {
    fs::remove_all(fs::path(root) / relative);
}
