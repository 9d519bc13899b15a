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

TEST(WorkingFolderTest, AGameFolderWithoutItsFilesNamesTheMissingFont) {
    const std::vector<std::string> gameFiles = {"Resources/Assets/DejaVuSans.ttf",
                                                "Resources/Data/Settings.ini"};
    const TestWorkspace workspace(TestWorkspace::Layout{false, true});
    const fs::path font = (fs::current_path() / gameFiles[0]).make_preferred();
    fs::create_directories("Resources/Assets");
    std::string problem;
    EXPECT_FALSE(enterGameFolder(gameFiles, problem));
    EXPECT_EQ(problem, "The game's font is missing: " + font.u8string());
#ifndef _WIN32 // where a player may make links
    // A fresh player's folder whose font package is gone.
    fs::create_symlink("../Fonts/DejaVuSans.ttf", gameFiles[0]);
    EXPECT_FALSE(enterGameFolder(gameFiles, problem));
    EXPECT_EQ(problem, "The game's font is missing: " + font.u8string() + " is a link to " +
                           (fs::current_path() / "Resources/Fonts/DejaVuSans.ttf").u8string() +
                           ", which is not there");
#endif
}

} // namespace
