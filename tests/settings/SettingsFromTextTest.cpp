// Settings read from text in memory, and the size used when the desktop's
// cannot be asked for.
#include "settings/Settings.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

namespace {

TEST(SettingsFromText, MissingKeysTakeDefaultsAndNothingIsWritten) {
    TestWorkspace workspace;
    // SDL's video is down, so the desktop size cannot be read.
    ASSERT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    const Settings settings(std::string_view("[Settings]\r\nFXVolume=7\r\nFullscreen=0\r\n"));
    EXPECT_EQ(settings.musicVolume, 100u);
    EXPECT_EQ(settings.fxVolume, 7u);
    EXPECT_EQ(settings.windowWidth, 800u);
    EXPECT_EQ(settings.windowHeight, 600u);
    EXPECT_FALSE(settings.fullscreen);
    EXPECT_FALSE(workspace.exists(Settings::filePath));

    const Settings empty{std::string_view()};
    EXPECT_EQ(empty.windowWidth, 800u);
    EXPECT_EQ(empty.windowHeight, 600u);
    EXPECT_TRUE(empty.fullscreen);
    EXPECT_FALSE(workspace.exists(Settings::filePath));
}

} // namespace
