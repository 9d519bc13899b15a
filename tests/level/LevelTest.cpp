// Reading level files: line ends, ragged rows (parsed from memory), empty,
// missing and special files, and which file the game scene picks; a map whose
// floor picture is missing is not drawn at all; cells outside the rows read as
// solid even when the map's size says otherwise.
#include "level/Level.h"
#include "level/LevelGenerator.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"
#include "support/UnreadableFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {
const char* const handMade = "Resources/Data/Level0.level";

Level load(const std::string& bytes) {
    Level level;
    level.loadFromText(bytes);
    return level;
}
} // namespace

TEST(LevelTest, LineEndsOfEitherKindGiveTheSameMap) {
    std::vector<std::string> rows(40);
    for (int r = 0; r < 40; ++r) {
        for (int c = 0; c < 40; ++c) {
            rows[r] += (r * 7 + c * c) % 3 == 0 ? '1' : '0';
        }
    }
    for (const std::string end : {"\r\n", "\n"}) {
        std::string text;
        for (const std::string& row : rows) {
            text += row + end;
        }
        // With and without a line end after the last row.
        for (const std::string& bytes : {text, text.substr(0, text.size() - end.size())}) {
            const Level level = load(bytes);
            EXPECT_EQ(level.width, 40.0f);
            EXPECT_EQ(level.height, 40.0f);
            ASSERT_EQ(level.rows, rows);
            for (int r = 0; r < 40; ++r) {
                for (int c = 0; c < 40; ++c) {
                    ASSERT_EQ(level.isFloor(c, r), rows[r][c] == '1') << c << ", " << r;
                }
            }
        }
        // One more line end adds an empty last row, and the width is its length.
        const Level level = load(text + end);
        EXPECT_EQ(level.height, 41.0f);
        EXPECT_EQ(level.width, 0.0f);
        EXPECT_FALSE(level.isFloor(0, 0));
    }
}

TEST(LevelTest, RaggedRowsAndLoneCarriageReturns) {
    // Cells past the last line's length are outside the map.
    Level level = load("1111\r\n11\r\n");
    EXPECT_EQ(level.width, 2.0f);
    EXPECT_TRUE(level.isFloor(1, 0));
    EXPECT_FALSE(level.isFloor(2, 0));
    // A short row is solid past its end.
    level = load("111\n1\n111\n");
    EXPECT_EQ(level.width, 3.0f);
    EXPECT_TRUE(level.isFloor(0, 1));
    EXPECT_FALSE(level.isFloor(1, 1));
    EXPECT_FALSE(level.isFloor(2, 1));
    EXPECT_TRUE(level.isFloor(2, 2));
    EXPECT_FALSE(level.isFloor(-1, 0));
    EXPECT_FALSE(level.isFloor(0, 3));
    // A CR without an LF is a (solid) cell, also at the very end.
    level = load("1\r1\r\n1\r11\r");
    EXPECT_EQ(level.height, 2.0f);
    EXPECT_EQ(level.rows[0], "1\r1");
    EXPECT_EQ(level.rows[1], "1\r11\r");
    EXPECT_EQ(level.width, 5.0f);
    EXPECT_FALSE(level.isFloor(1, 0));
    EXPECT_TRUE(level.isFloor(2, 0));
}

TEST(LevelTest, FilesSavedByWindowsEditorsGiveTheSameMap) {
    const std::string rows = "101\r\n111\r\n";
    std::string utf16 = "\xFE\xFF";
    for (const char c : rows) {
        utf16 += '\0';
        utf16 += c;
    }
    for (const std::string& saved : {"\xEF\xBB\xBF" + rows, utf16}) {
        const Level level = load(saved);
        EXPECT_EQ(level.rows, (std::vector<std::string>{"101", "111"}));
        EXPECT_EQ(level.width, 3.0f);
        EXPECT_FALSE(level.isFloor(1, 0));
        EXPECT_TRUE(level.isFloor(0, 0));
    }
}

TEST(LevelTest, EmptyOrMissingFilesGiveAnEmptyMap) {
    TestWorkspace workspace;
    workspace.write(handMade, "");
    Level level;
    level.loadFromFile();
    EXPECT_EQ(level.width, 0.0f);
    EXPECT_EQ(level.height, 0.0f);
    workspace.remove(handMade);
    level.loadFromFile();
    EXPECT_EQ(level.width, 0.0f);
    EXPECT_EQ(level.height, 0.0f);
    EXPECT_TRUE(level.rows.empty());
}

TEST(LevelTest, TheSceneLoadsTheGeneratedLevelFirst) {
    TestWorkspace workspace;
    workspace.write(handMade, "1\r\n");
#ifdef _WIN32
    // Windows ignores letter case: the two names are one file.
    EXPECT_EQ(Level::sceneFileName(), Level::generatedFileName(0));
#else
    EXPECT_EQ(Level::sceneFileName(), handMade);
#endif
    Level level;
    level.loadFromFile();
    EXPECT_EQ(level.width, 1.0f);

    EXPECT_EQ(Level::generatedFileName(9), "Resources/Data/level9.level");
    std::srand(7);
    LevelGenerator generator;
    {
        const StdoutCapture printed;
        generator.generate(Level::generatedFileName(0).c_str());
    }
    EXPECT_EQ(Level::sceneFileName(), "Resources/Data/level0.level");
    {
        // Also while it cannot be read: the hand-made level is not played instead.
        const UnreadableFile unreadable(Level::generatedFileName(0));
        EXPECT_EQ(Level::sceneFileName(), "Resources/Data/level0.level");
    }
    Level generated;
    generated.loadFromFile();
    EXPECT_EQ(generated.width, static_cast<float>(generator.width));
    EXPECT_EQ(generated.height, static_cast<float>(generator.height));
    EXPECT_EQ(generated.rows, generator.tiles);
    EXPECT_TRUE(generated.isFloor(1, 1));
}

TEST(LevelTest, OnlyTheFirstRowsAndColumnsAreRead) {
    // 600 lines of 700 cells; line 512, the last one kept, is 300 long.
    std::string text;
    for (int r = 0; r < 600; ++r) {
        text += std::string(r == 511 ? 300 : 700, '1') + "\r\n";
    }
    Level level = load(text);
    EXPECT_EQ(level.height, 512.0f);
    EXPECT_EQ(level.width, 300.0f);
    ASSERT_EQ(level.rows.size(), Level::maxRows);
    EXPECT_EQ(level.rows[0], std::string(Level::maxColumns, '1'));
    EXPECT_EQ(level.rows[511], std::string(300, '1'));
    // Millions of empty lines: only the first 512 are kept.
    level = load(std::string(size_t{8} << 20, '\n'));
    EXPECT_EQ(level.rows.size(), Level::maxRows);
}

TEST(LevelTest, WithoutATilePictureNothingIsDrawn) {
    SdlSession sdl;
    SoftwareCanvas canvas(40, 40);
    canvas.clear(Rgb{1, 2, 3});
    Level level;
    level.renderer = canvas.renderer();
    level.tileSize = 8;
    level.loadFromText("111\r\n111\r\n");
    level.render(0.0f, 0.0f);
    EXPECT_EQ(canvas.paintedBox(Rgb{1, 2, 3}), (SDL_Rect{0, 0, 0, 0}));
}

TEST(LevelTest, OutsideTheRowsIsSolid) {
    Level level;
    level.loadFromText("11\r\n11\r\n");
    EXPECT_TRUE(level.isFloor(1, 1));
    EXPECT_FALSE(level.isFloor(0, -1));
    level.height = 5.0f; // a size set by hand, larger than the rows read
    EXPECT_FALSE(level.isFloor(0, 2));
    EXPECT_FALSE(level.isFloor(0, 4));
}
