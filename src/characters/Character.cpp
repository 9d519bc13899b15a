#include "characters/Character.h"

#include "core/Clock.h"

#include <algorithm>
#include <climits>

Character::Character(SDL_Renderer* renderer, Level& level, float frameWidth, float frameHeight,
                     float x, float y)
    : renderer(renderer), level(level), x(x + frameWidth / 2.0f), y(y) {
    // Each frame loads the whole sheet and picks its cell by source rectangle;
    // it keeps the sheet's size as its draw size.
    for (int row = 0; row < facingCount; ++row) {
        for (int column = 0; column < frameCount; ++column) {
            auto frame = std::make_unique<Sprite>();
            frame->load(renderer, sheetPath, static_cast<float>(column) * frameWidth,
                        static_cast<float>(row) * frameHeight, frameWidth, frameHeight);
            frame->useSourceRect = true;
            frames[row][column] = std::move(frame);
        }
    }
}

void Character::changeHealth(int32_t amount) {
    addHealth(amount);
}

void Character::addHealth(int32_t amount) {
    // Summed wide: no stored health and amount can overflow, and the result
    // is kept within what health can hold.
    const int64_t sum = int64_t{health} + amount;
    if (sum > maxHealth) {
        health = maxHealth;
    } else {
        health = static_cast<int32_t>(std::max<int64_t>(sum, INT32_MIN));
        dead = dead || health <= 0;
    }
}

void Character::animateWalk() {
    if (!Clock::passed(nextFrameTime)) {
        return;
    }
    currentFrame = currentFrame + 1 < frameCount ? currentFrame + 1 : 0;
    nextFrameTime = Clock::add(Clock::now(), frameInterval);
}

const Sprite& Character::currentSprite() const {
    return *frames[static_cast<int>(facing)][currentFrame];
}
