#pragma once
// Builds one random level: a grid of rooms, one in each 10 x 10 slot, joined
// by straight corridors along the rooms' centre lines. Prints the map and the
// room list and writes the map as a level file. The caller seeds rand().
#include <string>
#include <vector>

struct Room {
    int width = 0;
    int height = 0;
    int x = 0;
    int y = 0;
};

class LevelGenerator {
  public:
    void generate(const char* path);
    // The map as a level file: every row followed by CR LF.
    std::string mapText() const;

    std::vector<std::string> tiles;
    int width = 0;
    int height = 0;
    std::vector<std::vector<Room>> rooms;
    int roomsAcross = 0;
    int roomsDown = 0;

  private:
    void drawRooms();
    void carve();
    // The map on the console, a line per row.
    void printMap() const;
    void printRooms() const;
};
