// A menu entry: background sized from its label, inclusive truncated hit box.
#include "ui/Button.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

namespace {

struct ButtonTest : testing::Test {
    void SetUp() override {
        // 20 pixels high and all magenta, so that only the label shows.
        writeBitmap(Button::bitmapPath, 10, 20, [](int, int) { return Rgb{255, 0, 255}; });
    }
    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas{200, 60};
    TextRenderer text{canvas.renderer(), SDL_Color{255, 255, 255, 0}};
};

TEST_F(ButtonTest, HitBoxIsInclusiveAndTruncatedTowardZero) {
    Button button(canvas.renderer(), text, "Play", 100.0f, 50.0f);
    button.sprite->width = 60; // 70 .. 130 by 40 .. 60
    EXPECT_TRUE(button.isMouseOver(70.0f, 40.0f));
    EXPECT_TRUE(button.isMouseOver(130.0f, 60.0f));
    EXPECT_FALSE(button.isMouseOver(69.9f, 50.0f));
    EXPECT_FALSE(button.isMouseOver(130.1f, 50.0f));
    EXPECT_FALSE(button.isMouseOver(100.0f, 39.9f));
    EXPECT_FALSE(button.isMouseOver(100.0f, 60.1f));

    button.x = 100.5f;
    button.sprite->width = 61; // 70.0 .. 131.0
    EXPECT_TRUE(button.isMouseOver(70.0f, 50.0f));
    EXPECT_TRUE(button.isMouseOver(131.0f, 50.0f));
    EXPECT_FALSE(button.isMouseOver(69.99f, 50.0f));
    EXPECT_FALSE(button.isMouseOver(131.01f, 50.0f));

    button.x = 100.7f;
    button.sprite->width = 60; // 70.7 .. 130.7 give 70 .. 130
    EXPECT_TRUE(button.isMouseOver(70.0f, 50.0f));
    EXPECT_FALSE(button.isMouseOver(130.5f, 50.0f));

    button.x = 25.5f; // -4.5 .. 55.5 give -4 .. 55
    button.y = 5.5f;  // -4.5 .. 15.5 give -4 .. 15
    EXPECT_TRUE(button.isMouseOver(-4.0f, -4.0f));
    EXPECT_FALSE(button.isMouseOver(-4.5f, 5.0f));
    EXPECT_FALSE(button.isMouseOver(5.0f, -4.5f));
}

TEST_F(ButtonTest, BackgroundIsThirtyTwoWiderThanTheLabel) {
    for (const char* label : {"Options", " "}) {
        const TextSize size = TextRenderer::measureText(label);
        ASSERT_GT(size.width, 0);
        Button button(canvas.renderer(), text, label, 100.0f, 30.0f);
        EXPECT_EQ(button.labelWidth, static_cast<float>(size.width));
        EXPECT_EQ(button.labelHeight, static_cast<float>(size.height));
        EXPECT_EQ(button.sprite->width, size.width + 32) << '"' << label << '"';
        EXPECT_EQ(button.sprite->height, 20);
    }
}

TEST_F(ButtonTest, SetLabelKeepsTheWidthAndTheLeftEdge) {
    Button button(canvas.renderer(), text, "Go", 60.0f, 30.0f);
    const int width = button.sprite->width;
    button.render();
    const SDL_Rect before = canvas.paintedBox();
    ASSERT_GT(before.w, 0);
    button.setLabel("Go much further");
    EXPECT_EQ(button.sprite->width, width);
    canvas.clear();
    button.render();
    const SDL_Rect after = canvas.paintedBox();
    EXPECT_EQ(after.x, before.x);
    EXPECT_GT(after.w, before.w + 40);
}

} // namespace
