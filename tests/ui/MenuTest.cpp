// Menus with nothing selected: a menu without controls still takes the
// presses it is given, and activating outside the entries does nothing.
#include "support/ScreenRig.h"
#include "ui/MainMenu.h"
#include "ui/OptionsMenu.h"

#include <gtest/gtest.h>

namespace {

// Every operation as the base class leaves it.
struct BareMenu final : Menu {
    using Menu::Menu;
};

TEST(MenuTest, WithoutControlsPressesAreTakenAndNothingIsDrawn) {
    ScreenRig rig(20, 20);
    rig.canvas.clear(Rgb{1, 2, 3});
    BareMenu menu(rig.canvas.renderer(), rig.input, rig.handler, rig.text, rig.settings);
    ASSERT_EQ(menu.buttonCount, 0);
    rig.input.pressed[InputState::Up] = true;
    rig.input.pressed[InputState::Down] = true;
    rig.input.pressed[InputState::Return] = true;
    rig.input.mousePressed[InputState::MouseLeft] = true;
    menu.navigate();
    EXPECT_FALSE(rig.input.pressed[InputState::Up]);
    EXPECT_TRUE(rig.input.pressed[InputState::Down]) << "Down waits for the next step";
    EXPECT_FALSE(rig.input.pressed[InputState::Return]);
    EXPECT_FALSE(rig.input.mousePressed[InputState::MouseLeft]) << "no slider holds the press";
    menu.navigate();
    EXPECT_FALSE(rig.input.pressed[InputState::Down]);
    EXPECT_EQ(menu.selectedIndex(), 0);
    menu.update();
    menu.render();
    EXPECT_EQ(rig.canvas.paintedBox(Rgb{1, 2, 3}), (SDL_Rect{0, 0, 0, 0}));
}

TEST(MenuTest, OutsideTheEntriesActivatingDoesNothing) {
    ScreenRig rig(64, 64);
    writeBitmap(Button::bitmapPath, 8, 20, [](int, int) { return Rgb{90, 90, 90}; });
    writeBitmap(ButtonSlider::knobPath, 10, 30, [](int, int) { return Rgb{220, 30, 30}; });
    rig.settings.windowWidth = 1000;
    rig.settings.windowHeight = 800;
    rig.settings.fullscreen = false;
    int32_t scene = 0;
    MainMenu main(rig.canvas.renderer(), rig.input, rig.handler, rig.text, rig.settings, scene);
    for (const int index : {-1, main.buttonCount}) {
        main.select(index);
        rig.input.pressed[InputState::Return] = true;
        main.update();
        main.update();
        EXPECT_EQ(main.action, MainMenuAction::None) << index;
        EXPECT_EQ(scene, 0) << index;
        EXPECT_FALSE(rig.handler.quitRequested) << index;
    }

    OptionsMenu options(rig.canvas.renderer(), rig.input, rig.handler, rig.text, rig.settings);
    rig.workspace.remove(Settings::filePath);
    options.select(OptionsMenu::ControlCount);
    rig.input.pressed[InputState::Return] = true;
    options.update();
    EXPECT_FALSE(options.closeRequested);
    EXPECT_EQ(options.resolutionIndex, OptionsMenu::currentSizeIndex);
    // Every activation saves, this one too.
    EXPECT_EQ(rig.workspace.read(Settings::filePath),
              "[Settings]\r\nMusicVolume=100\r\nFXVolume=100\r\nWindowWidth=1000\r\n"
              "WindowHeight=800\r\nFullscreen=0");
}

} // namespace
