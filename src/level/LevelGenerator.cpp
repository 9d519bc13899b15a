#include "level/LevelGenerator.h"

#include "core/FileReplacer.h"

#include <cstdio>
#include <cstdlib>

namespace {
// Each room has a 10 x 10 slot of the grid.
constexpr int slotSize = 10;
// The grid is 4 to 15 slots each way, a room 4 to 7 cells each way (plus
// the edge the carving adds).
constexpr int gridSizeChoices = 12;
constexpr int minGridSize = 4;
constexpr int roomSizeChoices = 4;
constexpr int minRoomSize = 4;
} // namespace

void LevelGenerator::generate(const char* path) {
    width = 0;
    height = 0;
    drawRooms();
    width = slotSize * roomsAcross;
    height = slotSize * roomsDown;
    carve();
    printMap();
    // Not synced to the disk: ten syncs would hold the click on "New Game"
    // for up to a tenth of a second, and a lost new game costs little.
    replaceFile(path, mapText());
    printRooms();
}

void LevelGenerator::drawRooms() {
    // The draws and their order are fixed: grid size, then each room's width
    // and height, rows outer and columns inner.
    roomsAcross = std::rand() % gridSizeChoices + minGridSize;
    roomsDown = std::rand() % gridSizeChoices + minGridSize;
    rooms.assign(static_cast<size_t>(roomsDown),
                 std::vector<Room>(static_cast<size_t>(roomsAcross)));
    for (int j = 0; j < roomsDown; ++j) {
        for (int i = 0; i < roomsAcross; ++i) {
            Room& room = rooms[j][i];
            room.width = std::rand() % roomSizeChoices + minRoomSize;
            room.height = std::rand() % roomSizeChoices + minRoomSize;
            room.x = slotSize * i;
            room.y = slotSize * j;
        }
    }
}

void LevelGenerator::carve() {
    tiles.assign(static_cast<size_t>(height), std::string(static_cast<size_t>(width), '0'));
    const std::vector<Room>& lastRow = rooms.back();
    for (const std::vector<Room>& roomRow : rooms) {
        const Room& lastInRow = roomRow.back();
        for (size_t i = 0; i < roomRow.size(); ++i) {
            const Room& room = roomRow[i];
            for (int r = room.y; r <= room.y + room.height; ++r) {
                tiles[r].replace(room.x, room.width + 1, room.width + 1, '1');
            }
            // Down the room's centre column, to above the bottom edge of the
            // last room in that column.
            const int column = room.x + room.width / 2;
            for (int r = 0; r < lastRow[i].y + lastRow[i].height; ++r) {
                tiles[r][column] = '1';
            }
            // Along the room's centre row, to left of the right edge of the
            // last room in that row.
            const int row = room.y + room.height / 2;
            tiles[row].replace(0, lastInRow.x + lastInRow.width, lastInRow.x + lastInRow.width,
                               '1');
        }
    }
}

void LevelGenerator::printMap() const {
    for (const std::string& row : tiles) {
        std::fwrite(row.data(), 1, row.size(), stdout);
        std::fputc('\n', stdout);
    }
}

std::string LevelGenerator::mapText() const {
    std::string text;
    text.reserve(tiles.size() * (static_cast<size_t>(width) + 2));
    for (const std::string& row : tiles) {
        text += row;
        text += "\r\n";
    }
    return text;
}

void LevelGenerator::printRooms() const {
    int k = 1;
    for (const std::vector<Room>& roomRow : rooms) {
        for (const Room& room : roomRow) {
            std::printf("room %i: %i, %i\n", k, room.x, room.y);
            ++k;
        }
    }
}
