#include "graphics/ParticleField.h"

#include <algorithm>

ParticleField::ParticleField(SDL_Renderer* renderer)
    : renderer(renderer), particles(capacity), sprite(std::make_unique<Sprite>()) {
    sprite->load(renderer, bitmapPath, -1.0f, -1.0f, -1.0f, -1.0f);
    sprite->useSourceRect = false;
}

void ParticleField::draw() const {
    for (uint32_t i = 0; i < count && i < capacity; ++i) {
        const Particle& particle = particles[i];
        SDL_SetTextureAlphaMod(sprite->texture.get(),
                               static_cast<Uint8>(std::min<uint32_t>(particle.alpha, 255)));
        sprite->draw(particle.x, particle.y);
    }
}
