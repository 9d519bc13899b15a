#pragma once
// The scene in which the game is played: the level, the player and a camera
// that keeps the player at the window's centre.
#include "characters/Player.h"
#include "graphics/TextRenderer.h"
#include "input/InputHandler.h"
#include "level/Level.h"
#include "settings/Settings.h"

#include <memory>

class GameScene {
  public:
    static constexpr const char* tilesPath = "Resources/Assets/Level1Tiles.bmp";
    static constexpr int tileSize = 128;
    // The player starts on cell (1, 1).
    static constexpr float startX = static_cast<float>(tileSize);
    static constexpr float startY = static_cast<float>(tileSize);

    // Loads the level file, its tiles and the player (at cell 1, 1).
    GameScene(SDL_Renderer* renderer, InputHandler& inputHandler, InputState& inputState,
              TextRenderer& textRenderer, Settings& settings);
    ~GameScene();
    GameScene(const GameScene&) = delete;
    GameScene& operator=(const GameScene&) = delete;

    // Camera first, then the player's turn: idle at a turn boundary,
    // otherwise a step of the move under way or a look at the arrow keys.
    void update(double elapsedSeconds);
    // The floor cells, then the player.
    void render() const;

    SDL_Renderer* renderer;
    InputHandler& inputHandler;
    InputState& inputState;
    TextRenderer& textRenderer;
    Settings& settings;
    std::unique_ptr<Player> player;
    std::unique_ptr<Level> level;
    int32_t turnOver = 0;
    float cameraX = 0.0f;
    float cameraY = 0.0f;
};
