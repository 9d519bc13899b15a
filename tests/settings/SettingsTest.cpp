// Reading and rewriting Resources/Data/Settings.ini; settings read from text in
// memory, and the size used when the desktop's cannot be asked for.
#include "settings/Settings.h"
#include "support/SdlSession.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"
#include "support/UnreadableFile.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const char* const file = "Resources/Data/Settings.ini";

std::string canonical(unsigned music, unsigned fx, unsigned w, unsigned h, int full) {
    return "[Settings]\r\nMusicVolume=" + std::to_string(music) +
           "\r\nFXVolume=" + std::to_string(fx) + "\r\nWindowWidth=" + std::to_string(w) +
           "\r\nWindowHeight=" + std::to_string(h) + "\r\nFullscreen=" + std::to_string(full);
}

TEST(SettingsTest, NoFileGivesDefaultsAndCreatesTheFile) {
    const SdlSession sdl;
    SDL_DisplayMode desktop{};
    ASSERT_EQ(SDL_GetCurrentDisplayMode(0, &desktop), 0);
    const auto w = static_cast<unsigned>(desktop.w);
    const auto h = static_cast<unsigned>(desktop.h);
    TestWorkspace workspace;
    Settings settings;
    EXPECT_EQ(settings.musicVolume, 100u);
    EXPECT_EQ(settings.fxVolume, 100u);
    EXPECT_EQ(settings.windowWidth, w);
    EXPECT_EQ(settings.windowHeight, h);
    EXPECT_TRUE(settings.fullscreen);
    EXPECT_EQ(workspace.read(file), canonical(100, 100, w, h, 1));

    TestWorkspace noFolder(TestWorkspace::Layout{true, false});
    Settings unsaved;
    EXPECT_EQ(unsaved.windowWidth, w);
    EXPECT_TRUE(unsaved.fullscreen);
    unsaved.save();
    EXPECT_FALSE(noFolder.exists("Resources/Data"));
}

TEST(SettingsTest, ForeignLinesAreDroppedAndValuesKeptAsRead) {
    const SdlSession sdl;
    TestWorkspace workspace;
    workspace.write(file,
                    "; by hand\r\n[Video]\r\n\r\nFXVolume=7\r\nName=x\r\nWindowWidth=800px\r\n"
                    "MusicVolume=250\r\nWindowHeight=  600\r\nFullscreen=2\r\n");
    Settings settings;
    EXPECT_EQ(workspace.read(file), canonical(250, 7, 800, 600, 1));

    // Bare line feeds; the first line of a key wins.
    workspace.write(file, "MusicVolume=10\nFXVolume=20\nWindowWidth=640\nWindowHeight=480\n"
                          "Fullscreen=0\nMusicVolume=99");
    Settings second;
    EXPECT_EQ(second.musicVolume, 10u);
    EXPECT_FALSE(second.fullscreen);
    EXPECT_EQ(workspace.read(file), canonical(10, 20, 640, 480, 0));
}

TEST(SettingsTest, FilesSavedByWindowsEditorsKeepEveryValue) {
    const SdlSession sdl;
    TestWorkspace workspace;
    const std::string values = canonical(30, 40, 1024, 768, 0);
    std::string utf16 = "\xFF\xFE";
    for (const char c : values) {
        utf16 += c;
        utf16 += '\0';
    }
    // UTF-8 with its mark right before the first key, and UTF-16: rewritten as the game writes.
    for (const std::string& saved : {"\xEF\xBB\xBFMusicVolume=30\r\n" + values, utf16}) {
        workspace.write(file, saved);
        const Settings settings;
        EXPECT_EQ(workspace.read(file), values);
    }
}

TEST(SettingsTest, KeysMatchExactlyAndUnreadableValuesGiveZero) {
    const SdlSession sdl;
    TestWorkspace workspace;
    // Space before "=" or another case: not the key. Empty, a word, no "=": found, value 0.
    const std::string text = "MusicVolume =50\r\nmusicvolume=40\r\nFXVolume=\r\nWindowWidth\r\n"
                             "WindowHeight=tall\r\nFullscreen=true";
    workspace.write(file, text);
    Settings settings;
    EXPECT_EQ(workspace.read(file), canonical(100, 0, 0, 0, 0));
    EXPECT_FALSE(settings.fullscreen);

    workspace.write(file, text);
    uint32_t value = 77;
    EXPECT_TRUE(Settings::readValue("WindowHeight", value));
    EXPECT_TRUE(Settings::readValue("FXVolume", value));
    EXPECT_EQ(value, 77u);
    EXPECT_FALSE(Settings::readValue("Volume", value));
#ifndef __EMSCRIPTEN__
    // (Emscripten's in-memory files find a file that a rename replaced again
    // once its successor is removed: the game never removes its files.)
    workspace.remove(file);
    EXPECT_FALSE(Settings::readValue("FXVolume", value));
#endif
}

TEST(SettingsTest, AFileThatCannotBeReadIsNeverWrittenOver) {
    const SdlSession sdl;
    TestWorkspace workspace;
    const std::string players = canonical(10, 20, 640, 480, 0);
    workspace.write(file, players);
    std::unique_ptr<Settings> settings;
    {
        const UnreadableFile unreadable(file);
        const StdoutCapture printed;
        settings = std::make_unique<Settings>();
    }
    // Neither at the load nor later in the run, once the file could be read again.
    settings->musicVolume = 55;
    EXPECT_FALSE(settings->save());
    EXPECT_EQ(workspace.read(file), players);
}

TEST(SettingsTest, MissingKeysTakeDefaultsAndNothingIsWritten) {
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

TEST(SettingsTest, WindowsFitTheDisplayAndPicturesKeepTheStoredSize) {
    const SdlSession sdl;
    // The dummy display is 1024 x 768; a size that fits is kept as it is.
    const auto sizeOn = [](uint32_t width, uint32_t height) {
        const SDL_Rect area = Settings::windowAreaOn(0, {0, 0}, width, height, false);
        return std::pair{area.w, area.h};
    };
    EXPECT_EQ(sizeOn(4096, 2160), std::pair(1024, 768));
    EXPECT_EQ(sizeOn(1024, 768), std::pair(1024, 768));
    EXPECT_EQ(sizeOn(640, 4294967295u), std::pair(640, 768));
    EXPECT_EQ(sizeOn(0, 1), std::pair(0, 1));
    // A window keeps its place unless it would hang off the display; in full
    // screen it covers the whole display.
    const auto areaOn = [](uint32_t width, uint32_t height, bool fullscreen) {
        const SDL_Rect area = Settings::windowAreaOn(0, {250, 50}, width, height, fullscreen);
        return std::vector{area.x, area.y, area.w, area.h};
    };
    EXPECT_EQ(areaOn(640, 480, false), (std::vector{250, 50, 640, 480}));
    EXPECT_EQ(areaOn(1000, 800, false), (std::vector{24, 0, 1000, 768}));
    EXPECT_EQ(areaOn(640, 480, true), (std::vector{0, 0, 1024, 768}));

    Settings settings{std::string_view("WindowWidth=4096\nWindowHeight=2160")};
    settings.window = SDL_CreateWindow("fit", 0, 0, 1024, 768, SDL_WINDOW_HIDDEN);
    SDL_Renderer* renderer = SDL_CreateRenderer(settings.window, -1, SDL_RENDERER_SOFTWARE);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    settings.fitPicture();
    int width = 0;
    int height = 0;
    SDL_RenderGetLogicalSize(renderer, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(4096, 2160));
    // A size no picture can have leaves the picture as it was.
    settings.windowWidth = 2147483648u;
    settings.fitPicture();
    SDL_RenderGetLogicalSize(renderer, &width, &height);
    EXPECT_EQ(std::pair(width, height), std::pair(4096, 2160));
    SDL_DestroyRenderer(renderer);
    SDL_DestroyWindow(settings.window);
}

} // namespace
