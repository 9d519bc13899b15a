// Temporary files that killed writes left behind: removed at the next start
// when their writer has ended and the name is exactly one a write of the
// game's data files makes; kept while it runs, everything else kept.
#include "core/Leftovers.h"
#include "app/Game.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;

TEST(LeftoversTest, OnlyTheGamesOwnOfEndedWritersAreRemoved) {
    TestWorkspace workspace;
#ifdef _WIN32
    const std::string running = std::to_string(GetCurrentProcessId());
    const std::string own = ".7";
    const std::string other = ".a1B2c3"; // the other system's writes
#else
    const std::string running = std::to_string(::getpid());
    const std::string own = ".a1B2c3";
    const std::string other = ".7";
#endif
    const std::string ended = ".tmp.999999996"; // above any process number in use
    const std::vector<std::string> removed = {
        "Settings.ini" + ended + own, "SaveData.bin" + ended + own, "level0.level" + ended + own,
        "level9.level" + ended + own};
    const std::vector<std::string> kept = {
        "Settings.ini",
        "Settings.ini.tmp." + running + own, // a running game's
        "Settings.ini.tmp" + own,            // no writer named
        "Settings.ini" + ended + other,
        "Settings.ini.tmp.0999999996" + own,
        "level2.level" + ended + own + ".bak",
        "level2.level" + ended + ".",
        "level2.level.tmp.x999999996" + own,
        "level2.level" + ended + ".abcdefg",
        "level2.level" + ended + ".07",
        "level10.level" + ended + own, // not a file the game writes
        ended + own,
        // A player's own files.
        "notes" + ended + ".ab",
        "backup" + ended + ".old",
        "Level0.level" + ended + ".bak",
        "save" + ended + ".copy1",
    };
    for (const std::string& name : removed) {
        workspace.write("Resources/Data/" + name, "x");
    }
    for (const std::string& name : kept) {
        workspace.write("Resources/Data/" + name, "x");
    }
    // A folder with such a name was made by someone else.
    const std::string folder = "Resources/Data/level5.level" + ended + own;
    fs::create_directories(folder);

    removeLeftovers(Game::dataFiles());
    for (const std::string& name : removed) {
        EXPECT_FALSE(workspace.exists("Resources/Data/" + name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(workspace.exists("Resources/Data/" + name)) << name;
    }
    EXPECT_TRUE(fs::is_directory(folder));
    removeLeftovers({"Resources/None/Settings.ini"}); // no folder: nothing to do
}

} // namespace
