// The game's folder is one that holds the game's own files: a Resources
// folder of another program's is not it, whatever its letter case.
#include "core/WorkingFolder.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST(WorkingFolderTest, OnlyAFolderHoldingOneOfTheGamesFilesIsTheGames) {
    const std::vector<std::string> gameFiles = {"Resources/Assets/DejaVuSans.ttf",
                                                "Resources/Data/Settings.ini"};
    const TestWorkspace workspace(TestWorkspace::Layout{false, true});
    fs::create_directories("Resources/Assets");
    fs::create_directories("resources/assets");
    workspace.write("Resources/Assets/Other.ttf", "x");
    workspace.write("Resources/Data/Other.ini", "x");
    // The tests' own folder holds no game either: the working folder stays.
    std::string looked;
    EXPECT_FALSE(enterGameFolder(gameFiles, looked));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), workspace.path()));

    // The game's folder, its assets gone.
    workspace.write(gameFiles[1], "x");
    EXPECT_TRUE(enterGameFolder(gameFiles, looked));
    EXPECT_TRUE(fs::equivalent(fs::current_path(), workspace.path()));
}

} // namespace
