// The volume slider: where the mouse sets the value, and where the knob is
// drawn.
#include "ui/ButtonSlider.h"
#include "support/ScreenRig.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <tuple>

namespace {
const Rgb none{0, 0, 0};
const Rgb bar{90, 90, 90};
const Rgb knob{220, 30, 30};

struct SliderRig : ScreenRig {
    // A bar 20 pixels high (stretched to 100 wide) and a knob of 10 x 30.
    SliderRig() : ScreenRig(1000, 800) {
        writeBitmap(Button::bitmapPath, 8, 20, [](int, int) { return bar; });
        writeBitmap(ButtonSlider::knobPath, 10, 30, [](int, int) { return knob; });
    }
    void expectDrawn(ButtonSlider& slider,
                     std::initializer_list<std::tuple<int, int, Rgb>> pixels) {
        canvas.clear(none);
        slider.render();
        for (const auto& [x, y, colour] : pixels) {
            EXPECT_EQ(canvas.pixel(x, y), colour) << "at " << x << ", " << y;
        }
    }
};
} // namespace

TEST(ButtonSliderTest, TheMouseOverTheBarSetsThePendingValue) {
    SliderRig rig;
    ButtonSlider slider(rig.canvas.renderer(), rig.text, " ", 42, 600.0f, 400.0f);
    EXPECT_EQ(slider.value, 42u);
    EXPECT_EQ(slider.committedValue, 42u);
    // The bar spans 550..650 and 390..410, edges included.
    // clang-format off
    const std::tuple<float, float, bool, unsigned> hits[] = {
        {550, 390, true, 0}, {650, 410, true, 100}, {600, 400, true, 50},
        {549.5f, 400, false, 50}, {650.5f, 400, false, 50},
        {600, 389.5f, false, 50}, {600, 410.5f, false, 50}};
    // clang-format on
    for (const auto& [x, y, inside, value] : hits) {
        EXPECT_EQ(slider.isMouseOver(x, y), inside) << x << ", " << y;
        EXPECT_EQ(slider.value, value) << x << ", " << y;
    }
    EXPECT_EQ(slider.committedValue, 42u);
    // Off-centre by 0.4: the box still spans 550..650, the values 0..99.
    ButtonSlider shifted(rig.canvas.renderer(), rig.text, " ", 0, 600.4f, 400.0f);
    EXPECT_TRUE(shifted.isMouseOver(550.0f, 400.0f));
    EXPECT_EQ(shifted.value, 0u);
    EXPECT_TRUE(shifted.isMouseOver(650.0f, 400.0f));
    EXPECT_EQ(shifted.value, 99u);
    EXPECT_FALSE(shifted.isMouseOver(549.9f, 400.0f));
}

TEST(ButtonSliderTest, TheKnobShowsTheCommittedValueEvenPastTheBar) {
    SliderRig rig;
    ButtonSlider slider(rig.canvas.renderer(), rig.text, " ", 30, 600.0f, 400.0f);
    // The knob's centre is 30 px right of the bar's left edge.
    // clang-format off
    rig.expectDrawn(slider, {{550, 390, bar}, {649, 409, bar}, {650, 400, none}, {575, 385, knob},
                             {574, 400, bar}, {584, 414, knob}, {585, 400, bar}});
    // clang-format on
    // Hovering alone does not move it.
    EXPECT_TRUE(slider.isMouseOver(620.0f, 400.0f));
    rig.expectDrawn(slider, {{575, 400, knob}, {615, 400, bar}});
    // A stored 150 sits past the bar's end.
    slider.committedValue = 150;
    // clang-format off
    rig.expectDrawn(slider, {{575, 400, bar}, {694, 400, none}, {695, 385, knob}, {704, 414, knob},
                             {705, 400, none}, {695, 384, none}});
    // clang-format on
}
