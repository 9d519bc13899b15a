#include "settings/Settings.h"

#include "core/FileReplacer.h"

#include <cstring>
#include <fstream>
#include <limits>
#include <sstream>
#include <string>

namespace {
// The desktop size of display 0, or a size that fits any screen.
SDL_DisplayMode desktopMode() {
    SDL_DisplayMode mode{};
    if (SDL_GetCurrentDisplayMode(0, &mode) != 0 || mode.w <= 0 || mode.h <= 0) {
        mode.w = static_cast<int>(Settings::fallbackWidth);
        mode.h = static_cast<int>(Settings::fallbackHeight);
    }
    return mode;
}

// Reads a number the way stream extraction does: leading blanks, an optional
// sign, digits up to the first other character. A value too large for 32 bits
// reads as the largest one, as the stream gives it.
void readNumber(const std::string& text, uint32_t& out) {
    std::istringstream stream(text);
    uint32_t number = 0;
    stream >> number;
    if (!stream.fail() || number == std::numeric_limits<uint32_t>::max()) {
        out = number;
    }
}
} // namespace

Settings::Settings() {
    const SDL_DisplayMode desktop = desktopMode();
    if (!readValue("MusicVolume", musicVolume)) {
        musicVolume = 100;
    }
    if (!readValue("FXVolume", fxVolume)) {
        fxVolume = 100;
    }
    if (!readValue("WindowWidth", windowWidth)) {
        windowWidth = static_cast<uint32_t>(desktop.w);
    }
    if (!readValue("WindowHeight", windowHeight)) {
        windowHeight = static_cast<uint32_t>(desktop.h);
    }
    uint32_t fullscreenValue = 0;
    fullscreen = !readValue("Fullscreen", fullscreenValue) || fullscreenValue != 0;
    save();
}

bool Settings::readValue(const char* key, uint32_t& out) const {
    std::ifstream file(filePath, std::ios::binary);
    if (!file) {
        return false;
    }
    const size_t keyLength = std::strlen(key);
    std::string line;
    while (std::getline(file, line)) {
        // A CR belongs to the line end only when an LF follows it.
        if (!file.eof() && !line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const size_t equals = line.find('=');
        const size_t keyEnd = equals == std::string::npos ? line.size() : equals;
        if (keyEnd == keyLength && line.compare(0, keyEnd, key) == 0) {
            readNumber(equals == std::string::npos ? line : line.substr(equals + 1), out);
            return true;
        }
    }
    return false;
}

void Settings::save() const {
    std::ostringstream text;
    text << "[Settings]\r\nMusicVolume=" << musicVolume << "\r\nFXVolume=" << fxVolume
         << "\r\nWindowWidth=" << windowWidth << "\r\nWindowHeight=" << windowHeight
         << "\r\nFullscreen=" << (fullscreen ? 1 : 0);
    replaceFile(filePath, text.str());
}

void Settings::applyDisplayMode() {
    // Mode before size, full screen last: the window takes the new size before
    // it is stretched over (or released from) the desktop.
    SDL_DisplayMode mode{};
    SDL_GetWindowDisplayMode(window, &mode);
    mode.w = static_cast<int>(windowWidth);
    mode.h = static_cast<int>(windowHeight);
    SDL_SetWindowDisplayMode(window, &mode);
    SDL_SetWindowSize(window, static_cast<int>(windowWidth), static_cast<int>(windowHeight));
    SDL_SetWindowFullscreen(window, fullscreen ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0);
}
