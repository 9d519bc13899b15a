#include "BareOptionsMenu.h"

namespace {
constexpr int sliderWidth = 100;
}

BareOptionsMenu::BareOptionsMenu(SDL_Renderer* renderer, const Settings& settings)
    : renderer(renderer), captionX(0.4f * static_cast<float>(settings.windowWidth)),
      windowHeight(static_cast<float>(settings.windowHeight)) {
    const auto width = static_cast<float>(settings.windowWidth);
    const float column = 0.6f * width;
    addSlider(settings.musicVolume, column, 0.5f * windowHeight);
    addSlider(settings.fxVolume, column, 0.6f * windowHeight);
    addButton("1000 x 1000",
              std::to_string(settings.windowWidth) + " x " + std::to_string(settings.windowHeight),
              column, 0.7f * windowHeight);
    addButton("On", settings.fullscreen ? "On" : "Off", column, 0.8f * windowHeight);
    addButton("Apply", "Apply", 0.5f * width, 0.9f * windowHeight);
    addButton("Back", "Back", column, 0.9f * windowHeight);
}

// A button's background reaches 16 pixels beyond either side of the label it
// was measured for; the label shown may be another, drawn from the same corner.
void BareOptionsMenu::addButton(const char* measuredLabel, std::string shownLabel, float x,
                                float y) {
    Control control;
    control.background = loadKeyedBitmap(renderer, "Resources/Assets/Button.bmp");
    const SDL_Point label = measureBareText(measuredLabel);
    const int stretched = label.x + 32;
    const int height = control.background.height;
    control.backgroundBox =
        SDL_Rect{static_cast<int>(x - static_cast<float>(stretched) / 2.0f),
                 static_cast<int>(y - static_cast<float>(height) / 2.0f), stretched, height};
    control.label = std::move(shownLabel);
    control.labelCorner = SDL_Point{static_cast<int>(x - static_cast<float>(label.x) / 2.0f),
                                    static_cast<int>(y - static_cast<float>(label.y) / 2.0f)};
    controls.push_back(std::move(control));
}

// A slider is a button labelled with a space whose background is a bar 100
// pixels wide, with the knob centred on the volume's pixel of the bar.
void BareOptionsMenu::addSlider(uint32_t volume, float x, float y) {
    addButton(" ", " ", x, y);
    Control& slider = controls.back();
    slider.backgroundBox.w = sliderWidth;
    slider.backgroundBox.x = static_cast<int>(x - static_cast<float>(sliderWidth) / 2.0f);
    slider.knob = loadKeyedBitmap(renderer, "Resources/Assets/Slider.bmp");
    const float left = x - static_cast<float>(sliderWidth) / 2.0f;
    slider.knobBox = SDL_Rect{static_cast<int>(left + static_cast<float>(volume) -
                                               static_cast<float>(slider.knob.width) / 2.0f),
                              static_cast<int>(y - static_cast<float>(slider.knob.height) / 2.0f),
                              slider.knob.width, slider.knob.height};
}

void BareOptionsMenu::draw() const {
    for (const Caption& caption : captions) {
        const SDL_Point size = measureBareText(caption.text);
        drawBareText(
            renderer, caption.text, static_cast<int>(captionX),
            static_cast<int>(caption.row * windowHeight - static_cast<float>(size.y) / 2.0f));
    }
    for (const Control& control : controls) {
        SDL_RenderCopy(renderer, control.background.texture.get(), nullptr, &control.backgroundBox);
        drawBareText(renderer, control.label.c_str(), control.labelCorner.x, control.labelCorner.y);
        if (control.knob.texture) {
            SDL_RenderCopy(renderer, control.knob.texture.get(), nullptr, &control.knobBox);
        }
    }
}
