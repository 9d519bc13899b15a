#pragma once
// The tile map: one byte per cell, '1' floor and anything else solid, read
// from a text file with one line per row. Rows shorter than the map's width
// (hand-made files) read as solid past their end.
#include "graphics/Sprite.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

class Level {
  public:
    // At most this much of a level file is read; the rest of a larger file is not.
    static constexpr size_t maxFileBytes = size_t{64} << 20;
    // Of what is read, only this many lines are rows and only this many bytes
    // of each are cells: a map far larger than any generated one (150 x 150)
    // still draws every frame in a few milliseconds and keeps its memory
    // small, whatever the file holds.
    static constexpr size_t maxRows = 512;
    static constexpr size_t maxColumns = 512;

    // "New Game" writes this many levels, level n to generatedFileName(n).
    static constexpr int generatedCount = 10;
    static std::string generatedFileName(int n);
    // The file the game scene plays: the first generated level when there is
    // one (even one another program holds for the moment), else a hand-made
    // "Level0.level".
    static std::string sceneFileName();

    // Reads the scene's level file; a missing or empty file gives an empty map.
    void loadFromFile();
    void loadFromFile(const std::string& path);
    // The rows of a level file's bytes already in memory, within the limits above.
    void loadFromText(std::string_view text);
    // True only for a '1' inside the map and inside its row.
    bool isFloor(int column, int row) const;
    // Draws every floor cell at a tileSize pitch, offset by the camera.
    void render(float cameraX, float cameraY);

    SDL_Renderer* renderer = nullptr;
    std::unique_ptr<Sprite> tileSprite;
    float width = 0.0f;
    float height = 0.0f;
    std::vector<std::string> rows;
    int tileSize = 0;

  private:
    // Each column's left on screen, worked out once a frame for every row;
    // sized when the map loads, so that no frame allocates.
    std::vector<float> columnLefts;
};
