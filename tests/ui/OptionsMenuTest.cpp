// The options menu: layout, the resolution list, full screen, Apply, Back and
// slider drags, with the settings file checked after every activation.
#include "ui/OptionsMenu.h"
#include "support/ScreenRig.h"
#include "support/StdoutCapture.h"
#include "ui/ButtonSlider.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>

namespace {
struct MenuRig : ScreenRig {
    SDL_Window* window = SDL_CreateWindow("Quarrow", 0, 0, 640, 480, SDL_WINDOW_HIDDEN);
    std::unique_ptr<OptionsMenu> menu;

    MenuRig(uint32_t width, uint32_t height) : ScreenRig(64, 64) {
        writeBitmap(Button::bitmapPath, 8, 20, [](int, int) { return Rgb{90, 90, 90}; });
        writeBitmap(ButtonSlider::knobPath, 10, 30, [](int, int) { return Rgb{220, 30, 30}; });
        settings.window = window;
        settings.musicVolume = 30;
        settings.fxVolume = 70;
        settings.windowWidth = width;
        settings.windowHeight = height;
        settings.fullscreen = false;
        menu = std::make_unique<OptionsMenu>(canvas.renderer(), input, handler, text, settings);
    }
    ~MenuRig() {
        menu.reset();
        SDL_DestroyWindow(window);
    }
    MenuRig(const MenuRig&) = delete;
    MenuRig& operator=(const MenuRig&) = delete;
    // Selects a control and presses Return on it; the file must then hold
    // exactly the record.
    void activate(int index) {
        menu->select(index);
        input.pressed[InputState::Return] = true;
        menu->update();
        expectFileMatches();
    }
    void expectFileMatches() const {
        EXPECT_EQ(workspace.read(Settings::filePath),
                  "[Settings]\r\nMusicVolume=" + std::to_string(settings.musicVolume) +
                      "\r\nFXVolume=" + std::to_string(settings.fxVolume) +
                      "\r\nWindowWidth=" + std::to_string(settings.windowWidth) +
                      "\r\nWindowHeight=" + std::to_string(settings.windowHeight) +
                      "\r\nFullscreen=" + (settings.fullscreen ? "1" : "0"));
    }
    std::string label(int index) const { return menu->buttons[index]->label; }
    ButtonSlider& slider(int index) const {
        return static_cast<ButtonSlider&>(*menu->buttons[index]);
    }
};
} // namespace

TEST(OptionsMenuTest, ASizeOffTheListStartsLastAndCannotComeBack) {
    MenuRig rig(1000, 800);
    // clang-format off
    const float centres[6][2] = {{600, 400}, {600, 480}, {600, 560},
                                 {600, 640}, {500, 720}, {600, 720}};
    // clang-format on
    ASSERT_EQ(rig.menu->buttonCount, 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_FLOAT_EQ(rig.menu->buttons[i]->x, centres[i][0]) << i;
        EXPECT_FLOAT_EQ(rig.menu->buttons[i]->y, centres[i][1]) << i;
    }
    EXPECT_EQ(rig.slider(0).committedValue, 30u);
    EXPECT_EQ(rig.slider(1).committedValue, 70u);
    EXPECT_EQ(rig.label(3), "Off");
    EXPECT_EQ(rig.menu->selectedIndex(), 0);
    EXPECT_EQ(rig.menu->resolutionIndex, 16);
    EXPECT_EQ(rig.label(2), "1000 x 800");
    rig.activate(2);
    EXPECT_EQ(rig.menu->resolutionIndex, 0);
    EXPECT_EQ(rig.label(2), "640 x 480");
    EXPECT_EQ(rig.settings.windowWidth, 1000u);
    rig.menu->resolutionIndex = 14;
    rig.activate(2);
    EXPECT_EQ(rig.label(2), "4096 x 2160");
    rig.activate(2);
    EXPECT_EQ(rig.label(2), "640 x 480");
}

TEST(OptionsMenuTest, TheResolutionListInOrder) {
    MenuRig rig(1000, 800);
    // Sixteen fixed sizes, then the window's own size as entry 16, which the
    // Resolution control shows first and never comes back to.
    // clang-format off
    const int sizes[17][2] = {
        {640, 480},   {800, 600},   {848, 480},   {1024, 768}, {1152, 864},  {1280, 720},
        {1280, 960},  {1360, 768},  {1440, 900},  {1600, 900}, {1600, 1200}, {1680, 1050},
        {1768, 992},  {1920, 1080}, {3840, 2160}, {4096, 2160}, {1000, 800}};
    // clang-format on
    const auto label = [&sizes](int i) {
        return std::to_string(sizes[i][0]) + " x " + std::to_string(sizes[i][1]);
    };
    for (int i = 0; i < 17; ++i) {
        EXPECT_EQ(rig.menu->resolutionAt(i),
                  std::make_pair(static_cast<float>(sizes[i][0]), static_cast<float>(sizes[i][1])))
            << "entry " << i;
    }
    EXPECT_EQ(rig.label(2), label(16));
    for (int i = 0; i < 17; ++i) {
        rig.activate(2);
        EXPECT_EQ(rig.label(2), label(i % 16)) << "activation " << i + 1;
    }
}

TEST(OptionsMenuTest, ApplyResizesTheWindowAndLaysTheMenuOutAgain) {
    MenuRig rig(1024, 768);
    EXPECT_EQ(rig.menu->resolutionIndex, 3);
    EXPECT_EQ(rig.label(2), "1024 x 768");
    rig.activate(2);
    EXPECT_EQ(rig.label(2), "1152 x 864");
    EXPECT_EQ(rig.settings.windowWidth, 1024u);
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(rig.window, &width, &height);
    EXPECT_EQ(width, 640);
    rig.settings.musicVolume = 55; // the new sliders start from the record
    rig.activate(4);
    EXPECT_EQ(rig.settings.windowWidth, 1152u);
    EXPECT_EQ(rig.settings.windowHeight, 864u);
    // The window grows no larger than the display (the dummy one is 1024 x 768);
    // the record and the layout keep the size chosen.
    SDL_GetWindowSize(rig.window, &width, &height);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_EQ(rig.menu->buttonCount, 6);
    EXPECT_FLOAT_EQ(rig.menu->buttons[0]->x, 691.2f);
    EXPECT_FLOAT_EQ(rig.menu->buttons[5]->y, 777.6f);
    EXPECT_EQ(rig.slider(0).committedValue, 55u);
    EXPECT_EQ(rig.label(2), "1152 x 864");
    EXPECT_EQ(rig.menu->resolutionIndex, 4);
    EXPECT_EQ(rig.menu->selectedIndex(), 4);
    // Again with nothing changed: the same size and the same selection.
    rig.activate(4);
    EXPECT_EQ(rig.settings.windowWidth, 1152u);
    EXPECT_EQ(rig.menu->selectedIndex(), 4);
}

TEST(OptionsMenuTest, FullScreenTogglesAndBackClosesBothSaving) {
    MenuRig rig(1000, 800);
    StdoutCapture printed;
    rig.activate(3);
    EXPECT_TRUE(rig.settings.fullscreen);
    EXPECT_EQ(rig.label(3), "On");
    rig.activate(3);
    EXPECT_EQ(printed.text(), "1\n0\n");
    EXPECT_EQ(rig.label(3), "Off");
    rig.workspace.remove(Settings::filePath);
    rig.activate(5);
    EXPECT_TRUE(rig.menu->closeRequested);
}

TEST(OptionsMenuTest, SlidersCommitOnReturnAndWhileDragged) {
    MenuRig rig(1000, 800);
    // Hovering alone changes nothing that is kept; Return commits once.
    rig.input.mouseX = 560.0f;
    rig.input.mouseY = 400.0f;
    rig.menu->update();
    EXPECT_EQ(rig.slider(0).value, 10u);
    EXPECT_EQ(rig.slider(0).committedValue, 30u);
    rig.activate(0);
    EXPECT_EQ(rig.settings.musicVolume, 10u);
    EXPECT_EQ(rig.slider(0).committedValue, 10u);
    rig.input.mouseX = 620.0f;
    rig.menu->update();
    EXPECT_EQ(rig.settings.musicVolume, 10u);
    // The held left button drags: a commit and a save at every step.
    rig.input.mousePressed[InputState::MouseLeft] = true;
    for (const auto& [mouseX, volume] : {std::pair{560.0f, 10u}, {603.7f, 53u}, {649.0f, 99u}}) {
        rig.input.mouseX = mouseX;
        rig.menu->update();
        EXPECT_EQ(rig.settings.musicVolume, volume);
        EXPECT_EQ(rig.slider(0).committedValue, volume);
        rig.expectFileMatches();
    }
    // Still held, onto the other slider: that one takes over.
    rig.input.mouseX = 575.0f;
    rig.input.mouseY = 480.0f;
    rig.menu->update();
    EXPECT_EQ(rig.settings.fxVolume, 25u);
    EXPECT_EQ(rig.settings.musicVolume, 99u);
    rig.expectFileMatches();
}

TEST(OptionsMenuTest, AnOversizedStoredSizeIsCutInItsLabel) {
    {
        MenuRig rig(10000, 1000);
        rig.activate(4);
        EXPECT_EQ(rig.label(2), "10000 x 100");
    }
    MenuRig rig(4294967295u, 99999);
    rig.activate(4);
    EXPECT_EQ(rig.settings.windowWidth, 4294967295u);
    EXPECT_LE(rig.label(2).size(), 11u);
}
