#include "BareMap.h"

BareMap::BareMap(SDL_Renderer* renderer, int size, int windowWidth, int windowHeight)
    : renderer(renderer), size(size),
      tiles(loadKeyedBitmap(renderer, "Resources/Assets/Level1Tiles.bmp")),
      player(loadKeyedBitmap(renderer, "Resources/Assets/Player.bmp")) {
    // The player stands half a frame right of his cell's corner; the camera
    // puts that point, where his frame's corner is drawn, at the window's centre.
    const float playerX = 1.0f * pitch + 25.0f / 2.0f;
    const float playerY = 1.0f * pitch;
    const float cameraX = playerX - static_cast<float>(windowWidth) * 0.5f;
    const float cameraY = playerY - static_cast<float>(windowHeight) * 0.5f;
    origin = SDL_Point{static_cast<int>(-cameraX), static_cast<int>(-cameraY)};
    playerSource = SDL_Rect{0, 3 * 32, 25, 32};
    playerBox = SDL_Rect{static_cast<int>(playerX - cameraX), static_cast<int>(playerY - cameraY),
                         player.width, player.height};
}

void BareMap::draw() const {
    for (int row = 0; row < size; ++row) {
        for (int column = 0; column < size; ++column) {
            const SDL_Rect destination{origin.x + pitch * column, origin.y + pitch * row,
                                       tiles.width, tiles.height};
            SDL_RenderCopy(renderer, tiles.texture.get(), nullptr, &destination);
        }
    }
    SDL_RenderCopy(renderer, player.texture.get(), &playerSource, &playerBox);
}
