#pragma once
// A fixed pool of particles sharing one small bitmap, drawn over every
// frame. Nothing emits particles yet, so the pool stays empty.
#include "graphics/Sprite.h"

#include <cstdint>
#include <memory>
#include <vector>

struct Particle {
    float x = 0.0f;
    float y = 0.0f;
    float velocityX = 0.0f;
    float velocityY = 0.0f;
    // Opacity; anything above 255 draws fully opaque.
    uint32_t alpha = 0;
};

class ParticleField {
  public:
    static constexpr const char* bitmapPath = "Resources/Assets/ParticleBitmap.bmp";

    explicit ParticleField(SDL_Renderer* renderer);

    // Draws the live particles, slots 0 to count - 1.
    void draw() const;

    SDL_Renderer* renderer;
    uint32_t capacity = 50;
    uint32_t count = 0;
    std::vector<Particle> particles;
    std::unique_ptr<Sprite> sprite;
};
