// Bitmaps: a clip given by one coordinate only, a picture too tall on its
// own; particles: a count above the pool.
#include "graphics/ParticleField.h"
#include "graphics/Sprite.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

const char* const path = "Resources/Assets/Test.bmp";

struct GraphicsTest : testing::Test {
    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas{40, 30};
};

TEST_F(GraphicsTest, AClipPositionNeedsBothCoordinates) {
    writeBitmap(path, 16, 16, [](int, int) { return Rgb{255, 0, 0}; });
    Sprite sprite;
    sprite.load(canvas.renderer(), path, 5.0f, -1.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{0, 0, 7, 8}));
    sprite.load(canvas.renderer(), path, -1.0f, 6.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{0, 0, 7, 8}));
    sprite.load(canvas.renderer(), path, 5.0f, 6.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{5, 6, 7, 8}));
}

TEST_F(GraphicsTest, ABitmapTooTallAloneIsRefused) {
    // File header and a 40-byte info header claiming 1 x 16385, no pixels.
    std::string bytes = "BM";
    const auto put = [&bytes](uint32_t value) {
        for (int i = 0; i < 4; ++i) {
            bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
        }
    };
    for (const uint32_t value : {54u, 0u, 54u, 40u, 1u, 16385u}) {
        put(value);
    }
    bytes.resize(54, '\0');
    workspace.write(path, bytes);
    Sprite sprite;
    testing::internal::CaptureStdout();
    sprite.load(canvas.renderer(), path);
    fflush(stdout);
    EXPECT_EQ(
        testing::internal::GetCapturedStdout(),
        std::string("Surface for bitmap '") + path +
            "' not loaded!\nThe bitmap claims 1 x 16385 pixels, more than the game can use\n");
    EXPECT_EQ(sprite.surface, nullptr);
}

TEST_F(GraphicsTest, ACountAboveThePoolDrawsThePoolOnly) {
    writeBitmap(ParticleField::bitmapPath, 2, 2, [](int, int) { return Rgb{255, 255, 255}; });
    ParticleField field(canvas.renderer());
    for (Particle& particle : field.particles) {
        particle.x = 3.0f;
        particle.y = 4.0f;
        particle.alpha = 255;
    }
    field.count = field.capacity + 10;
    field.draw();
    EXPECT_EQ(canvas.paintedBox(), (SDL_Rect{3, 4, 2, 2}));
}

} // namespace
