#include "settings/Settings.h"

#include "core/Display.h"
#include "core/FileReader.h"
#include "core/FileReplacer.h"
#include "core/TextLines.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace {
// The desktop size of display 0, or a size that fits any screen. Where a host
// fits the picture into a room (a page), the room's size instead, so that a
// first start shows the whole picture; but never smaller than the smallest
// size Options offers, which a small room (a phone's) then shows scaled down.
SDL_DisplayMode desktopMode() {
    SDL_DisplayMode mode{};
    SDL_Point room{};
    if (hostRoom(room) && room.x > 0 && room.y > 0) {
        const double grow = std::max({1.0, Settings::smallestWidth / static_cast<double>(room.x),
                                      Settings::smallestHeight / static_cast<double>(room.y)});
        mode.w = static_cast<int>(std::lround(room.x * grow));
        mode.h = static_cast<int>(std::lround(room.y * grow));
        return mode;
    }
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
        mode.w = static_cast<int>(Settings::fallbackWidth);
        mode.h = static_cast<int>(Settings::fallbackHeight);
    }
    return mode;
}

// Reads a number the way stream extraction does: leading blanks, an optional
// sign, digits up to the first other character. A value too large for 32 bits
// reads as the largest one, as the stream gives it.
void readNumber(std::string_view text, uint32_t& out) {
    std::istringstream stream{std::string(text)};
    uint32_t number = 0;
    stream >> number;
    if (!stream.fail() || number == std::numeric_limits<uint32_t>::max()) {
        out = number;
    }
}
} // namespace

Settings::Settings() {
    // Once the file has proved unreadable, the other keys are not tried.
    loadValues([this](const char* key, uint32_t& out) {
        return !fileKept && readValue(key, out, &fileKept);
    });
    // A host enters full screen only when the player applies it, never by
    // itself: every start plays in its room, and the file says so.
    SDL_Point room{};
    fullscreen = fullscreen && !hostRoom(room);
    fitHostRoom();
    save();
}

Settings::Settings(std::string_view text) {
    loadValues([text](const char* key, uint32_t& out) { return findValue(text, key, out); });
}

void Settings::loadValues(const std::function<bool(const char* key, uint32_t& out)>& lookup) {
    const SDL_DisplayMode desktop = desktopMode();
    if (!lookup("MusicVolume", musicVolume)) {
        musicVolume = 100;
    }
    if (!lookup("FXVolume", fxVolume)) {
        fxVolume = 100;
    }
    if (!lookup("WindowWidth", windowWidth)) {
        windowWidth = static_cast<uint32_t>(desktop.w);
    }
    if (!lookup("WindowHeight", windowHeight)) {
        windowHeight = static_cast<uint32_t>(desktop.h);
    }
    uint32_t fullscreenValue = 0;
    fullscreen = !lookup("Fullscreen", fullscreenValue) || fullscreenValue != 0;
}

bool Settings::readValue(const char* key, uint32_t& out, bool* unreadable) {
    std::string text;
    const ReadResult result = readFile(filePath, text, maxFileBytes);
    if (unreadable != nullptr) {
        *unreadable = result == ReadResult::Unreadable;
    }
    return result == ReadResult::Read && findValue(text, key, out);
}

bool Settings::findValue(std::string_view text, const char* key, uint32_t& out) {
    std::string converted;
    for (const std::string_view line : splitLines(textOf(text, converted))) {
        const size_t equals = line.find('=');
        if (line.substr(0, equals) == key) {
            readNumber(equals == std::string_view::npos ? line : line.substr(equals + 1), out);
            return true;
        }
    }
    return false;
}

std::string Settings::fileText() const {
    std::ostringstream text;
    text << "[Settings]\r\nMusicVolume=" << musicVolume << "\r\nFXVolume=" << fxVolume
         << "\r\nWindowWidth=" << windowWidth << "\r\nWindowHeight=" << windowHeight
         << "\r\nFullscreen=" << (fullscreen ? 1 : 0);
    return text.str();
}

bool Settings::save() const {
    // Not synced to the disk: a slider drag saves at every step, and a sync
    // each time would stall the drag.
    return !fileKept && replaceFile(filePath, fileText());
}

void Settings::applyDisplayMode() {
    // Mode first. A window leaving full screen is released before it is given
    // its size and place, which the release would otherwise undo; one entering
    // it is first given the display's area, where a desktop with no window
    // manager leaves it (one already in full screen keeps what it has).
    SDL_DisplayMode mode{};
    SDL_GetWindowDisplayMode(window, &mode);
    mode.w = static_cast<int>(windowWidth);
    mode.h = static_cast<int>(windowHeight);
    SDL_SetWindowDisplayMode(window, &mode);
    const bool wasFullscreen = (SDL_GetWindowFlags(window) & SDL_WINDOW_FULLSCREEN) != 0;
    if (!fullscreen) {
        setFullScreen(window, false);
    }
    if (!fullscreen || !wasFullscreen) {
        SDL_Point at = windowedPlace;
        if (!wasFullscreen) {
            SDL_GetWindowPosition(window, &at.x, &at.y);
            windowedPlace = at;
        }
        const SDL_Rect area = windowAreaOn(SDL_GetWindowDisplayIndex(window), at, windowWidth,
                                           windowHeight, fullscreen);
        SDL_SetWindowPosition(window, area.x, area.y);
        SDL_SetWindowSize(window, area.w, area.h);
    }
    if (fullscreen) {
        setFullScreen(window, true);
    }
    fitPicture();
}

bool Settings::fitHostRoom() {
    SDL_Point room{};
    if (!hostRoom(room) || room.x <= 0 || room.y <= 0) {
        return false;
    }
    const SDL_DisplayMode fit = desktopMode();
    const auto width = static_cast<uint32_t>(fit.w);
    const auto height = static_cast<uint32_t>(fit.h);
    // With none noted (a first start), a size is the host's own while it is
    // the room's; once the player applied one, the note matches no size.
    SDL_Point chosen{fit.w, fit.h};
    hostChoice(chosen);
    if (chosen.x < 0 || chosen.y < 0 || static_cast<uint32_t>(chosen.x) != windowWidth ||
        static_cast<uint32_t>(chosen.y) != windowHeight) {
        return false;
    }
    noteHostChoice({fit.w, fit.h});
    const bool changed = windowWidth != width || windowHeight != height;
    windowWidth = width;
    windowHeight = height;
    return changed;
}

void Settings::keepAppliedSize() {
    noteHostChoice({0, 0});
}

void Settings::fitPicture() const {
    SDL_Renderer* const renderer = window != nullptr ? SDL_GetRenderer(window) : nullptr;
    constexpr uint32_t largest = std::numeric_limits<int>::max();
    if (renderer != nullptr && windowWidth <= largest && windowHeight <= largest) {
        SDL_RenderSetLogicalSize(renderer, static_cast<int>(windowWidth),
                                 static_cast<int>(windowHeight));
    }
}

SDL_Rect Settings::windowAreaOn(int display, SDL_Point at, uint32_t width, uint32_t height,
                                bool fullscreen) {
    // A host shows the picture at its size, scaled to the room it has.
    SDL_Point room{};
    if (hostRoom(room)) {
        return {at.x, at.y, static_cast<int>(width), static_cast<int>(height)};
    }
    SDL_Rect area{};
    if (fullscreen && SDL_GetDisplayBounds(display, &area) == 0 && area.w > 0 && area.h > 0) {
        return area;
    }
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(display, &usable) != 0 || usable.w <= 0 || usable.h <= 0) {
        return {at.x, at.y, static_cast<int>(width), static_cast<int>(height)};
    }
    area.w = static_cast<int>(std::min(width, static_cast<uint32_t>(usable.w)));
    area.h = static_cast<int>(std::min(height, static_cast<uint32_t>(usable.h)));
    // Past the right or bottom edge first, then the left or top one: a window
    // as large as the bounds starts at their corner.
    area.x = std::max(std::min(at.x, usable.x + usable.w - area.w), usable.x);
    area.y = std::max(std::min(at.y, usable.y + usable.h - area.h), usable.y);
    return area;
}
