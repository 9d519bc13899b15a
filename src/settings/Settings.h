#pragma once
// The player's choices (volumes, window size, full screen), kept in
// Resources/Data/Settings.ini. Values are stored as read: nothing is clamped.
#include <SDL.h>

#include <cstdint>

class Settings {
  public:
    static constexpr const char* filePath = "Resources/Data/Settings.ini";
    // Used when the desktop's display mode cannot be queried: small enough
    // for any screen.
    static constexpr uint32_t fallbackWidth = 800;
    static constexpr uint32_t fallbackHeight = 600;

    // Loads the file (defaults for missing keys) and rewrites it at once in
    // canonical form. Needs SDL's video subsystem for the default size.
    Settings();

    // Finds the first line whose key is exactly `key` and reads an unsigned
    // number from its value into `out`; an unreadable number leaves `out` as
    // it was. True when such a line exists.
    bool readValue(const char* key, uint32_t& out) const;
    // Writes the six canonical lines; silently does nothing when it cannot.
    void save() const;
    // Makes the running window match the size and full-screen flag.
    void applyDisplayMode();

    SDL_Window* window = nullptr;
    uint32_t musicVolume = 0;
    uint32_t fxVolume = 0;
    uint32_t windowWidth = 0;
    uint32_t windowHeight = 0;
    bool fullscreen = false;
};
