#pragma once
// The application: starts SDL, the settings, the window and the shared
// objects; runs one scene at a time (0 the main menu, 1 the game scene) on
// fixed update and frame intervals; tears everything down in order.
#include "app/SaveData.h"
#include "core/SdlHandles.h"
#include "graphics/ParticleField.h"
#include "graphics/TextRenderer.h"
#include "input/InputHandler.h"
#include "input/InputState.h"
#include "level/GameScene.h"
#include "settings/Settings.h"
#include "ui/MainMenu.h"

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Game {
  public:
    static constexpr const char* saveDataPath = "Resources/Data/SaveData.bin";
    static constexpr const char* title = "Quarrow";
    // The window's icon; without it the window simply has none.
    static constexpr const char* iconPath = "Resources/Assets/Icon.bmp";
    // Where the window opens on the screen: fixed, not centred (moved only as
    // far as it takes to lie on the screen).
    static constexpr int windowX = 250;
    static constexpr int windowY = 50;
    // An update needs more than this many milliseconds since the last one ended.
    static constexpr double updateInterval = 10.0;
    // A frame needs more than this since the last present (under 60 a second).
    static constexpr double frameInterval = 1000.0 / 60.0;
    // Where the host calls the loop for each frame it shows, a frame may come
    // this much before it is due (a quarter of frameInterval: every frame of a
    // 60 Hz screen passes, of a 120 Hz screen every other one).
    static constexpr double frameLeeway = frameInterval / 4.0;

    // Every data file the game writes (paths): the settings, the save and
    // the generated levels.
    static std::vector<std::string> dataFiles();

    // Start-up. Failures are printed and start-up goes on without the part
    // that failed.
    Game(InputState& inputState, InputHandler& inputHandler);
    // Releases whatever shutdown() has not, without writing the save file.
    ~Game();
    Game(const Game&) = delete;
    Game& operator=(const Game&) = delete;

    bool createWindow();
    // After createWindow failed (a stored size no window can have): one more
    // try, silently, at the desktop's size; the stored size is kept.
    bool createDesktopSizedWindow();
    // One pass of the main loop: at most one update, then at most one frame.
    void tick();
    // One pass of a loop that the host calls for each frame it shows (a
    // browser's animation frames): the update as tick()'s, then the frame
    // unless it comes more than frameLeeway before it is due. Frames are due
    // frameInterval after the last one was due, or at once when the last one
    // came later than that: 60 a second in step, whatever the jitter of the
    // host's calls and of the clock's whole milliseconds.
    void tickForShownFrame();
    void updateMenuScene();
    void updateGameScene();
    bool loadSaveData();
    void writeSaveData() const;
    // Saves the data file and releases everything, once, after the loop; a
    // second call does nothing.
    void shutdown();

    WindowHandle window;
    RendererHandle renderer;
    std::unique_ptr<Settings> settings;
    SaveData saveData;
    InputHandler& inputHandler;
    InputState& inputState;
    std::unique_ptr<ParticleField> particleField;
    std::unique_ptr<MainMenu> menu;
    std::unique_ptr<TextRenderer> textRenderer;
    std::unique_ptr<GameScene> gameScene;
    int32_t scene = 0;
    int32_t lastRenderTime = 0;
    // tickForShownFrame's: when the pass of its last frame began, and how
    // many milliseconds after that the next frame is due.
    int32_t lastShownFrameTime = 0;
    double nextFrameDue = 0.0;
    int32_t lastUpdateTime = 0;
    double updateElapsed = 0.0;

  private:
    // The window at the given size (as much of it as the display has room
    // for), with the stored full-screen flag; in full screen, over the whole
    // display from the start.
    void openWindow(uint32_t width, uint32_t height);
    // An update when more than updateInterval has passed since the last one.
    void updateWhenDue();
    void update();
    // Full screen ended by the host (a browser's Escape): as an Apply of
    // "off" does, the settings say so, are applied and saved.
    void leaveFullScreen() const;
    // The host's room turned: a size the host chose itself becomes the new
    // room's, applied, saved and laid out.
    void fitTurnedRoom() const;
    // The settings' display applied and saved, and the menus laid out again.
    void displayChanged() const;
    void drawFrame() const;
    // Everything in shutdown's order, then SDL_ttf and SDL themselves.
    void release();

    bool released = false;
};
