// The Game's loop on the test clock: update and frame thresholds, the frames
// of passes for a host's shown frames, Escape, the save file read at start-up
// and written at shutdown, and teardown done once.
#include "app/Game.h"
#include "core/Clock.h"
#include "support/TestWorkspace.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace {

class GameTest : public testing::Test {
  protected:
    void SetUp() override {
        workspace.write(Settings::filePath, "WindowWidth=320\nWindowHeight=240\nFullscreen=0");
        Clock::setManual(0);
    }
    void TearDown() override { Clock::useWallClock(); }

    TestWorkspace workspace;
    InputState inputState;
    InputHandler inputHandler{inputState};
};

TEST_F(GameTest, UpdatesAndFramesNeedStrictlyMoreThanTheirIntervals) {
    Game game(inputState, inputHandler);
    std::vector<int32_t> updates;
    std::vector<int32_t> frames;
    for (int32_t now = 1; now <= 40; ++now) {
        Clock::advance(1);
        const int32_t updated = game.lastUpdateTime;
        const int32_t drawn = game.lastRenderTime;
        game.tick();
        if (game.lastUpdateTime != updated) {
            updates.push_back(now);
        }
        if (game.lastRenderTime != drawn) {
            frames.push_back(now);
        }
    }
    EXPECT_EQ(updates, (std::vector<int32_t>{11, 22, 33}));
    EXPECT_EQ(frames, (std::vector<int32_t>{17, 34}));
    EXPECT_DOUBLE_EQ(game.updateElapsed, 0.011);
    EXPECT_NE(game.menu, nullptr);
    game.shutdown();
}

// The passes of one second of a screen's frames at `hertz` on the whole-
// millisecond clock, every seventh pass 3 ms late: those that drew a frame
// (counted from 1), and how many updated.
std::pair<std::vector<int>, int> shownFramePasses(Game& game, int hertz) {
    std::vector<int> frames;
    int updates = 0;
    for (int pass = 1; pass <= hertz; ++pass) {
        const auto due = static_cast<int32_t>(pass * 1000.0 / hertz) + (pass % 7 == 0 ? 3 : 0);
        Clock::advance(Clock::difference(due, Clock::now()));
        const int32_t drawn = game.lastRenderTime;
        const int32_t updated = game.lastUpdateTime;
        game.tickForShownFrame();
        if (game.lastRenderTime != drawn) {
            frames.push_back(pass);
        }
        updates += game.lastUpdateTime != updated ? 1 : 0;
    }
    return {frames, updates};
}

TEST_F(GameTest, PassesForShownFramesDrawSixtyFramesASecondInStep) {
    {
        // 60 Hz: every pass updates and draws, the late ones too.
        Game game(inputState, inputHandler);
        const auto [frames, updates] = shownFramePasses(game, 60);
        EXPECT_EQ(frames.size(), 60u);
        EXPECT_EQ(updates, 60);
        game.shutdown();
    }
    Clock::setManual(0);
    {
        // 120 Hz: after the first two passes, every other one draws.
        Game game(inputState, inputHandler);
        const auto frames = shownFramePasses(game, 120).first;
        std::vector<int> expected = {1, 2};
        for (int pass = 4; pass <= 120; pass += 2) {
            expected.push_back(pass);
        }
        EXPECT_EQ(frames, expected);
        game.shutdown();
    }
}

TEST_F(GameTest, EscapeIsSeenAtTheNextUpdateAndShutdownSaves) {
    // The save file is read at start-up and written back whole, cut to 8 bytes.
    const std::string stored("\x01\x02\x03\x04\xF5\xF6\xF7\xF8\x09", 9);
    workspace.write(Game::saveDataPath, stored);
    Game game(inputState, inputHandler);
    EXPECT_EQ(game.saveData.value0, 0x04030201);
    EXPECT_EQ(static_cast<uint32_t>(game.saveData.value1), 0xF8F7F6F5u);
    SDL_Event escape{};
    escape.type = SDL_KEYDOWN;
    escape.key.keysym.sym = SDLK_ESCAPE;
    SDL_PushEvent(&escape);
    Clock::advance(10);
    game.tick();
    EXPECT_FALSE(inputState.pressed[InputState::Escape]);
    Clock::advance(1);
    game.tick();
    EXPECT_TRUE(inputState.pressed[InputState::Escape]);
    game.shutdown();
    EXPECT_EQ(workspace.read(Game::saveDataPath), stored.substr(0, 8));
}

TEST_F(GameTest, AProcessEndedByExitBeforeShutdownStillSaves) {
    // As Xlib ends the process when the display goes away: the save file is
    // written back, cut to its 8 bytes.
#ifdef _WIN32
    GTEST_SKIP() << "a Windows death test runs in a new process, with a workspace of its own";
#endif
#ifndef GTEST_HAS_DEATH_TEST
    GTEST_SKIP() << "no death tests where no process can be started (the browser)";
#else
    const std::string stored("\x01\x02\x03\x04\x05\x06\x07\x08", 8);
    workspace.write(Game::saveDataPath, stored + "tail");
    const auto endedByExit = [this] {
        const Game game(inputState, inputHandler);
        std::exit(1);
    };
    EXPECT_EXIT(endedByExit(), testing::ExitedWithCode(1), "");
    EXPECT_EQ(workspace.read(Game::saveDataPath), stored);
#endif
}

TEST_F(GameTest, OnlyShutdownSavesAndReleasingHappensOnce) {
    {
        Game game(inputState, inputHandler);
        EXPECT_NE(SDL_WasInit(0), 0u);
        EXPECT_NE(TTF_WasInit(), 0);
    }
    // Destroyed without shutdown: SDL and the font library are down, nothing saved.
    EXPECT_EQ(SDL_WasInit(0), 0u);
    EXPECT_EQ(TTF_WasInit(), 0);
    EXPECT_FALSE(workspace.exists(Game::saveDataPath));
    {
        Game game(inputState, inputHandler);
        game.shutdown();
        EXPECT_EQ(workspace.read(Game::saveDataPath), std::string(8, '\0'));
        workspace.remove(Game::saveDataPath);
        game.shutdown();
        EXPECT_FALSE(workspace.exists(Game::saveDataPath)) << "a second shutdown";
    }
    EXPECT_FALSE(workspace.exists(Game::saveDataPath)) << "the destructor after shutdown";
    EXPECT_EQ(SDL_WasInit(0), 0u);
    EXPECT_EQ(TTF_WasInit(), 0);
}

} // namespace
