#pragma once
// The player: walks one tile per move under the arrow keys, at a fixed speed,
// and ends each move with one idle update (the turn boundary).
#include "characters/Character.h"
#include "input/InputState.h"

class GameScene;

class Player final : public Character {
  public:
    // One frame of the sheet (Player.bmp: 4 rows of 4 frames). Each frame is
    // drawn at the size of the whole sheet, 100 x 128.
    static constexpr float sheetFrameWidth = 25.0f;
    static constexpr float sheetFrameHeight = 32.0f;

    Player(SDL_Renderer* renderer, Level& level, InputState& input, GameScene& scene,
           float frameWidth, float frameHeight, float x, float y);

    // Ignored while invulnerable; damage starts a window of invulnerability.
    void changeHealth(int32_t amount) override;
    // Standing still: turns to the arrow keys held and starts a move when the
    // tile ahead is floor. A vertical move replaces a horizontal one.
    void handleInput();
    // Moving: slides toward the target, never past it, and snaps onto it once
    // within the tolerance, ending the turn.
    void moveStep();

    GameScene& scene;
    InputState& input;
    bool invulnerable = false;
    int32_t invulnerableUntil = 0;
    float invulnerableDuration = 1000.0f;
    double deltaTime = 0.0;
    float speed = 150.0f;
    float targetX = 0.0f;
    float targetY = 0.0f;
    bool moving = false;

  private:
    // Range checks on the float cell position come before any cell is read.
    bool canEnter(float candidateX, float candidateY) const;
    void startMove(float candidateX, float candidateY);
};
