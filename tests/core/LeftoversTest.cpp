// Temporary files that killed writes left behind: removed at the next start
// when their writer has ended, kept while it runs, everything else kept.
#include "core/Leftovers.h"
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

TEST(LeftoversTest, OnlyThoseOfEndedWritersAreRemoved) {
    TestWorkspace workspace;
#ifdef _WIN32
    const std::string running = std::to_string(GetCurrentProcessId());
#else
    const std::string running = std::to_string(::getpid());
#endif
    const std::string ended = "999999996"; // above any process number in use
    // As POSIX and Windows name them.
    const std::vector<std::string> removed = {"Settings.ini.tmp." + ended + ".a1B2c3",
                                              "level2.level.tmp." + ended + ".0"};
    const std::vector<std::string> kept = {
        "Settings.ini",
        "Settings.ini.tmp." + running + ".a1B2c3", // a running game's
        "Settings.ini.tmp.a1B2c3",                 // no writer named
        "level2.level.tmp." + ended + ".0.bak",
        "level2.level.tmp." + ended + ".",
        "level2.level.tmp.x" + ended + ".0",
        "level2.level.tmp." + ended + ".abcdefg",
        ".tmp." + ended + ".0",
    };
    for (const std::string& name : removed) {
        workspace.write("Resources/Data/" + name, "x");
    }
    for (const std::string& name : kept) {
        workspace.write("Resources/Data/" + name, "x");
    }
    // A folder with such a name was made by someone else.
    const std::string folder = "Resources/Data/SaveData.bin.tmp." + ended + ".zzzzzz";
    fs::create_directories(folder);

    removeLeftovers("Resources/Data");
    for (const std::string& name : removed) {
        EXPECT_FALSE(workspace.exists("Resources/Data/" + name)) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_TRUE(workspace.exists("Resources/Data/" + name)) << name;
    }
    EXPECT_TRUE(fs::is_directory(folder));
    removeLeftovers("Resources/None"); // no folder: nothing to do
}

} // namespace
