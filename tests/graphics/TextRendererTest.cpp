// Text is drawn at its truncated corner at its own size, and fails quietly.
#include "graphics/TextRenderer.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif
#include <vector>

namespace {

struct TextRendererTest : testing::Test {
    // Every pixel after drawing "Quarrow" at (x, y) on a cleared canvas.
    std::vector<Rgb> drawnAt(float x, float y) const {
        canvas.clear();
        text.drawText("Quarrow", x, y);
        std::vector<Rgb> pixels;
        pixels.reserve(size_t{120} * 50);
        for (int i = 0; i < 120 * 50; ++i) {
            pixels.push_back(canvas.pixel(i % 120, i / 120));
        }
        return pixels;
    }
    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas{120, 50};
    TextRenderer text{canvas.renderer(), SDL_Color{255, 255, 255, 0}};
};

TEST_F(TextRendererTest, CornerIsTruncatedTowardZero) {
    const std::vector<Rgb> whole = drawnAt(10.0f, 20.0f);
    const SDL_Rect painted = canvas.paintedBox();
    const TextSize size = TextRenderer::measureText("Quarrow");
    EXPECT_GE(painted.x, 10);
    EXPECT_GE(painted.y, 20);
    EXPECT_LE(painted.x + painted.w, 10 + size.width);
    EXPECT_LE(painted.y + painted.h, 20 + size.height);
    EXPECT_EQ(drawnAt(10.9f, 20.99f), whole);
    EXPECT_NE(drawnAt(11.0f, 20.0f), whole);
    EXPECT_NE(drawnAt(10.0f, 21.0f), whole);
    const std::vector<Rgb> origin = drawnAt(0.0f, 0.0f);
    EXPECT_EQ(drawnAt(-0.5f, -0.99f), origin);
    EXPECT_NE(drawnAt(-1.0f, 0.0f), origin);
}

TEST_F(TextRendererTest, FailuresAreReportedAndDrawNothing) {
    TextRenderer orphan(nullptr, SDL_Color{255, 255, 255, 0});
    StdoutCapture printedOrphan;
    orphan.drawText("Quarrow", 0.0f, 0.0f);
    std::string error = SDL_GetError();
    EXPECT_EQ(printedOrphan.text(), "Texture for font not loaded!\n" + error + "\n");

    workspace.remove(TextRenderer::fontPath);
    EXPECT_EQ(TextRenderer::measureText("Quarrow").width, 0);
    EXPECT_EQ(TextRenderer::measureText("Quarrow").height, 0);
    StdoutCapture printedNoFont;
    text.drawText("Quarrow", 5.0f, 5.0f);
    error = SDL_GetError();
    EXPECT_EQ(printedNoFont.text(), "Surface for font not loaded!\n" + error + "\n");
    EXPECT_EQ(canvas.paintedBox().w, 0);

    // A FIFO in the font's place is not opened (that would wait for a writer);
    // Windows has none, a folder stands in for it there.
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
    std::filesystem::create_directory(TextRenderer::fontPath);
#else
    ASSERT_EQ(mkfifo(TextRenderer::fontPath, 0644), 0);
#endif
    EXPECT_EQ(TextRenderer::measureText("Quarrow").width, 0);
    StdoutCapture printedFifo;
    text.drawText("Quarrow", 5.0f, 5.0f);
    EXPECT_EQ(printedFifo.text().rfind("Surface for font not loaded!\n", 0), 0u);
}

} // namespace
