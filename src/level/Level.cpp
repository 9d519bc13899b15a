#include "level/Level.h"

#include "core/FileReader.h"
#include "core/TextLines.h"

#include <algorithm>
#include <cstdint>

std::string Level::generatedFileName(int n) {
    return "Resources/Data/level" + std::to_string(n) + ".level";
}

std::string Level::sceneFileName() {
    const std::string generated = generatedFileName(0);
    return isRegularFile(generated) ? generated : "Resources/Data/Level0.level";
}

void Level::loadFromFile() {
    loadFromFile(sceneFileName());
}

void Level::loadFromFile(const std::string& path) {
    std::string text;
    readFile(path, text, maxFileBytes);
    loadFromText(text);
}

void Level::loadFromText(std::string_view text) {
    rows.clear();
    std::string converted;
    for (const std::string_view line : splitLines(textOf(text, converted), maxRows)) {
        rows.emplace_back(line.substr(0, maxColumns));
    }
    width = rows.empty() ? 0.0f : static_cast<float>(rows.back().size());
    height = static_cast<float>(rows.size());
    columnLefts.assign(static_cast<size_t>(width), 0.0f);
}

bool Level::isFloor(int column, int row) const {
    if (row < 0 || column < 0 || row >= static_cast<int>(height) ||
        column >= static_cast<int>(width) || static_cast<size_t>(row) >= rows.size()) {
        return false;
    }
    const std::string& cells = rows[static_cast<size_t>(row)];
    return static_cast<size_t>(column) < cells.size() && cells[static_cast<size_t>(column)] == '1';
}

void Level::render(float cameraX, float cameraY) {
    if (!tileSprite) {
        return;
    }
    const size_t rowCount = std::min(rows.size(), static_cast<size_t>(height));
    // Every row puts its cells at the same lefts, so they are worked out once.
    // Only a width set by hand can differ from the loaded one.
    if (columnLefts.size() != static_cast<size_t>(width)) {
        columnLefts.resize(static_cast<size_t>(width));
    }
    for (size_t c = 0; c < columnLefts.size(); ++c) {
        columnLefts[c] = Sprite::wholePixel(
            static_cast<float>(int64_t{tileSize} * static_cast<int64_t>(c)) - cameraX);
    }
    for (size_t r = 0; r < rowCount; ++r) {
        // A short hand-made row has nothing to draw past its end.
        const std::string& cells = rows[r];
        const size_t columns = std::min(cells.size(), columnLefts.size());
        const float top = Sprite::wholePixel(
            static_cast<float>(int64_t{tileSize} * static_cast<int64_t>(r)) - cameraY);
        for (size_t c = 0; c < columns; ++c) {
            if (cells[c] == '1') {
                tileSprite->drawAtWholePixels(columnLefts[c], top);
            }
        }
    }
}
