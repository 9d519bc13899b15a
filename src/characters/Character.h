#pragma once
// An actor on the tile map: a grid of walk-cycle frames cut from one sprite
// sheet (a row per facing), a pixel position, a facing and health.
#include "graphics/Sprite.h"
#include "level/Level.h"

#include <array>
#include <cstdint>
#include <memory>

// Also the row of the character's sprite sheet.
enum class Facing : int32_t { Left = 0, Up = 1, Right = 2, Down = 3 };

class Character {
  public:
    static constexpr const char* sheetPath = "Resources/Assets/Player.bmp";
    static constexpr int facingCount = 4;
    static constexpr int frameCount = 4;
    static constexpr int32_t maxHealth = 100;

    // The frame is drawn with its top-left corner at (x + frameWidth / 2, y).
    Character(SDL_Renderer* renderer, Level& level, float frameWidth, float frameHeight, float x,
              float y);
    virtual ~Character() = default;
    Character(const Character&) = delete;
    Character& operator=(const Character&) = delete;

    // Nothing acts through this yet: the game scene drives the player itself.
    virtual void update() {}
    // Health never exceeds 100 and has no lower bound; 0 or below is death.
    virtual void changeHealth(int32_t amount);

    // Advances the walk cycle once the clock is past nextFrameTime.
    void animateWalk();
    const Sprite& currentSprite() const;

    SDL_Renderer* renderer;
    Level& level;
    int32_t health = 0;
    float x;
    float y;
    std::array<std::array<std::unique_ptr<Sprite>, frameCount>, facingCount> frames;
    Facing facing = Facing::Down;
    int32_t nextFrameTime = 0;
    int32_t frameInterval = 100;
    int32_t currentFrame = 0;
    bool dead = false;

  protected:
    void addHealth(int32_t amount);
};
