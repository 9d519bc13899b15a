#include "ui/OptionsMenu.h"

#include "core/Numbers.h"

#include <cstdint>
#include <cstdio>
#include <sstream>

namespace {
constexpr std::pair<int, int> resolutions[OptionsMenu::currentSizeIndex] = {
    {640, 480},  {800, 600},   {848, 480},   {1024, 768},  {1152, 864},  {1280, 720},
    {1280, 960}, {1360, 768},  {1440, 900},  {1600, 900},  {1600, 1200}, {1680, 1050},
    {1768, 992}, {1920, 1080}, {3840, 2160}, {4096, 2160},
};
static_assert(static_cast<uint32_t>(resolutions[0].first) == Settings::smallestWidth &&
                  static_cast<uint32_t>(resolutions[0].second) == Settings::smallestHeight,
              "the first size is the smallest the settings know of");

// Each row's centre as a share of the window's height; the captions sit in a
// column at 0.4 of its width, the controls at 0.6.
constexpr float musicRow = 0.5f;
constexpr float fxRow = 0.6f;
constexpr float resolutionRow = 0.7f;
constexpr float fullScreenRow = 0.8f;
constexpr float buttonRow = 0.9f;
constexpr float captionColumn = 0.4f;
constexpr float controlColumn = 0.6f;

struct Caption {
    const char* text;
    float row;
};
constexpr Caption captions[] = {
    {"Music Volume", musicRow},
    {"FX Volume", fxRow},
    {"Resolution", resolutionRow},
    {"FullScreen", fullScreenRow},
};

const char* onOff(bool on) {
    return on ? "On" : "Off";
}
} // namespace

OptionsMenu::OptionsMenu(SDL_Renderer* renderer, InputState& inputState, InputHandler& inputHandler,
                         TextRenderer& textRenderer, Settings& settings)
    : Menu(renderer, inputState, inputHandler, textRenderer, settings),
      pendingWidth(static_cast<float>(settings.windowWidth)),
      pendingHeight(static_cast<float>(settings.windowHeight)) {
    buildControls();
    selected = MusicSlider;
    for (int i = 0; i <= currentSizeIndex; ++i) {
        if (resolutionAt(i) == resolutionAt(currentSizeIndex)) {
            resolutionIndex = i;
            break;
        }
    }
    updateResolutionLabel();
}

void OptionsMenu::buildControls() {
    const auto width = static_cast<float>(settings.windowWidth);
    const auto height = static_cast<float>(settings.windowHeight);
    const float column = controlColumn * width;
    auto music = std::make_unique<ButtonSlider>(renderer, textRenderer, " ", settings.musicVolume,
                                                column, musicRow * height);
    auto fx = std::make_unique<ButtonSlider>(renderer, textRenderer, " ", settings.fxVolume, column,
                                             fxRow * height);
    musicSlider = music.get();
    fxSlider = fx.get();
    buttons.push_back(std::move(music));
    buttons.push_back(std::move(fx));
    // Measured for these texts; the labels shown are set just below.
    buttons.push_back(std::make_unique<Button>(renderer, textRenderer, "1000 x 1000", column,
                                               resolutionRow * height));
    buttons.push_back(
        std::make_unique<Button>(renderer, textRenderer, "On", column, fullScreenRow * height));
    buttons.push_back(std::make_unique<Button>(renderer, textRenderer, "Apply", 0.5f * width,
                                               buttonRow * height));
    buttons.push_back(
        std::make_unique<Button>(renderer, textRenderer, "Back", column, buttonRow * height));
    buttonCount = static_cast<int>(buttons.size());

    buttons[FullScreen]->setLabel(onOff(settings.fullscreen));
    // Eleven characters at most: a hand-edited huge size is cut, not overrun.
    char size[12];
    std::snprintf(size, sizeof size, "%i x %i", static_cast<int>(settings.windowWidth),
                  static_cast<int>(settings.windowHeight));
    buttons[Resolution]->setLabel(size);
}

void OptionsMenu::updateResolutionLabel() {
    const auto [width, height] = resolutionAt(resolutionIndex);
    pendingWidth = width;
    pendingHeight = height;
    std::ostringstream label;
    label << pendingWidth << " x " << pendingHeight;
    buttons[Resolution]->setLabel(label.str().c_str());
}

std::pair<float, float> OptionsMenu::resolutionAt(int index) const {
    if (index >= 0 && index < currentSizeIndex) {
        return {static_cast<float>(resolutions[index].first),
                static_cast<float>(resolutions[index].second)};
    }
    return {static_cast<float>(settings.windowWidth), static_cast<float>(settings.windowHeight)};
}

void OptionsMenu::activate() {
    switch (selected) {
    case MusicSlider:
        commitSlider(*musicSlider, settings.musicVolume);
        break;
    case FxSlider:
        commitSlider(*fxSlider, settings.fxVolume);
        break;
    case Resolution:
        // Only the fixed sizes cycle; the current size is just the start.
        resolutionIndex = resolutionIndex + 1 < currentSizeIndex ? resolutionIndex + 1 : 0;
        updateResolutionLabel();
        break;
    case FullScreen:
        toggleFullScreen();
        break;
    case Apply:
        applyResolution();
        break;
    case Back:
        closeRequested = true;
        break;
    default:
        break;
    }
    settings.save();
}

void OptionsMenu::commitSlider(ButtonSlider& slider, uint32_t& setting) {
    slider.committedValue = slider.value;
    setting = slider.value;
}

void OptionsMenu::toggleFullScreen() {
    settings.fullscreen = !settings.fullscreen;
    std::printf("%i\n", settings.fullscreen ? 1 : 0);
    buttons[FullScreen]->setLabel(onOff(settings.fullscreen));
}

void OptionsMenu::applyResolution() {
    settings.windowWidth = toPixels(pendingWidth);
    settings.windowHeight = toPixels(pendingHeight);
    Settings::keepAppliedSize();
    settings.applyDisplayMode();
    rebuildControls();
}

void OptionsMenu::rebuildControls() {
    releaseButtons();
    buildControls();
}

void OptionsMenu::render() {
    const auto width = static_cast<float>(settings.windowWidth);
    const auto height = static_cast<float>(settings.windowHeight);
    for (const Caption& caption : captions) {
        const TextSize size = TextRenderer::measureText(caption.text);
        textRenderer.drawText(caption.text, captionColumn * width,
                              caption.row * height - static_cast<float>(size.height) / 2.0f);
    }
    for (auto& button : buttons) {
        button->render();
    }
}
