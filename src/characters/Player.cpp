#include "characters/Player.h"

#include "core/Clock.h"
#include "level/GameScene.h"

#include <algorithm>
#include <cmath>

Player::Player(SDL_Renderer* renderer, Level& level, InputState& input, GameScene& scene,
               float frameWidth, float frameHeight, float x, float y)
    : Character(renderer, level, frameWidth, frameHeight, x, y), scene(scene), input(input) {
    health = maxHealth;
}

void Player::changeHealth(int32_t amount) {
    if (invulnerable) {
        return;
    }
    if (amount < 0) {
        invulnerable = true;
        // Summed as a float, as the game always has.
        invulnerableUntil = Clock::wrap(
            static_cast<double>(static_cast<float>(Clock::now()) + invulnerableDuration));
    }
    addHealth(amount);
}

void Player::handleInput() {
    const auto tile = static_cast<float>(level.tileSize);
    const bool left = input.pressed[InputState::Left];
    const bool right = input.pressed[InputState::Right];
    if (left != right) {
        facing = left ? Facing::Left : Facing::Right;
        const float step = left ? -tile : tile;
        if (canEnter(x + step, y)) {
            startMove(x + step, y);
        }
    }
    const bool up = input.pressed[InputState::Up];
    const bool down = input.pressed[InputState::Down];
    if (up != down) {
        facing = up ? Facing::Up : Facing::Down;
        const float step = up ? -tile : tile;
        if (canEnter(x, y + step)) {
            startMove(x, y + step);
        }
    }
}

bool Player::canEnter(float candidateX, float candidateY) const {
    const auto tile = static_cast<float>(level.tileSize);
    const float column = candidateX / tile;
    const float row = candidateY / tile;
    // Written as "not inside" so that a NaN coordinate is refused too.
    // NOLINTNEXTLINE(readability-simplify-boolean-expr): the simpler form lets NaN through.
    if (!(column >= 0.0f && column < level.width && row >= 0.0f && row < level.height)) {
        return false;
    }
    return level.isFloor(static_cast<int>(column), static_cast<int>(row));
}

void Player::startMove(float candidateX, float candidateY) {
    moving = true;
    targetX = candidateX;
    targetY = candidateY;
}

void Player::moveStep() {
    const float tolerance = speed * 0.5f * 0.04f;
    float dx = targetX - x;
    float dy = targetY - y;
    if (!(dx > tolerance) && !(dy > tolerance) && !(-tolerance > dx) && !(-tolerance > dy)) {
        x = targetX;
        y = targetY;
        targetX = 0.0f;
        targetY = 0.0f;
        moving = false;
        scene.turnOver = 1;
        return;
    }
    const auto length =
        static_cast<float>(std::sqrt(static_cast<double>(dx) * dx + static_cast<double>(dy) * dy));
    if (dx != 0.0f || dy != 0.0f) {
        dx /= length;
        dy /= length;
    }
    // The remaining distance caps the step, so a long time step (a slow
    // machine) lands on the target instead of swinging around it.
    const float step = std::min(static_cast<float>(static_cast<double>(speed) * deltaTime), length);
    x += step * dx;
    y += step * dy;
    animateWalk();
}
