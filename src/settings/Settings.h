#pragma once
// The player's choices (volumes, window size, full screen), kept in
// Resources/Data/Settings.ini. Values are stored as read: nothing is clamped.
#include <SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

class Settings {
  public:
    static constexpr const char* filePath = "Resources/Data/Settings.ini";
    // Used when the desktop's display mode cannot be queried: small enough
    // for any screen.
    static constexpr uint32_t fallbackWidth = 800;
    static constexpr uint32_t fallbackHeight = 600;
    // The smallest size Options offers, the smallest at which its captions
    // and controls all show.
    static constexpr uint32_t smallestWidth = 640;
    static constexpr uint32_t smallestHeight = 480;
    // More than six lines could ever need; the rest of a larger file is not read.
    static constexpr size_t maxFileBytes = 1 << 20;

    // Loads the file (defaults for missing keys) and rewrites it at once in
    // canonical form; full screen is off where a host shows the picture. A
    // file that is there but cannot be read is kept as it is for the whole
    // run instead (see save). Needs SDL's video subsystem for the default size.
    Settings();
    // Loads the values from a file's text already in memory; writes nothing.
    explicit Settings(std::string_view text);

    // Reads the file and looks `key` up in it (one open per key). False when
    // the file cannot be read or holds no such key; `unreadable`, when given,
    // is set when the file is there but cannot be read.
    static bool readValue(const char* key, uint32_t& out, bool* unreadable = nullptr);
    // Finds the first line whose key is exactly `key` and reads an unsigned
    // number from its value into `out`; an unreadable number leaves `out` as
    // it was. True when such a line exists.
    static bool findValue(std::string_view text, const char* key, uint32_t& out);
    // The six canonical lines, CR LF between them.
    std::string fileText() const;
    // Writes fileText(); false, having written nothing, when it cannot, or
    // when the file could not be read at the load: the player's values there
    // are never replaced by defaults.
    bool save() const;
    // Makes the running window match the size and full-screen flag. A window
    // leaving full screen goes back to `windowedPlace`; one entering it keeps
    // its place there first.
    void applyDisplayMode();
    // Where a host fits the picture into a room and the size is the one the
    // host chose itself (none noted and the room's, or the one noted): the
    // size becomes the room's, as at a first start, and is noted as the
    // host's. True when the size changed.
    bool fitHostRoom();
    // The player applied the size: it stays, whatever room a host has.
    static void keepAppliedSize();
    // Lays every picture out at the stored size and fits it, centred, into
    // the window's real size (a tiling desktop or full screen may give it
    // another); the mouse is read in the same picture's pixels.
    void fitPicture() const;
    // Where a window asked for at `at` with the size asked goes on the
    // display. Where a host fits the picture into a room (hostRoom): the size
    // asked, windowed or not. Windowed: the size asked, but never larger than the display's
    // usable bounds (so that nothing drawn lies off-screen), at `at` or moved
    // just far enough to lie inside them. In full screen: the whole
    // display, the area full screen gives it, so that where no window manager
    // stretches it (X with none running) it covers the display all the same
    // and the picture is fitted into the size it really has.
    static SDL_Rect windowAreaOn(int display, SDL_Point at, uint32_t width, uint32_t height,
                                 bool fullscreen);

    SDL_Window* window = nullptr;
    // Where the window goes when it leaves full screen: where it was before,
    // or where it first opened when it started in full screen.
    SDL_Point windowedPlace{};
    uint32_t musicVolume = 0;
    uint32_t fxVolume = 0;
    uint32_t windowWidth = 0;
    uint32_t windowHeight = 0;
    bool fullscreen = false;

  private:
    // Set by the load when the file is there but cannot be read.
    bool fileKept = false;

    // Every value from `lookup`, or its default when the key is missing.
    void loadValues(const std::function<bool(const char* key, uint32_t& out)>& lookup);
};
