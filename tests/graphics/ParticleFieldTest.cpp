// The particle pool: empty at start; a live particle is drawn at its truncated
// position with its own opacity; a count above the pool draws the pool only.
#include "graphics/ParticleField.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

namespace {

const Rgb white{255, 255, 255};

struct ParticleFieldTest : testing::Test {
    void SetUp() override {
        writeBitmap(ParticleField::bitmapPath, 4, 4, [](int, int) { return white; });
    }
    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas{40, 30};
};

TEST_F(ParticleFieldTest, EmptyOrMissingBitmapDrawsNothing) {
    ParticleField field(canvas.renderer());
    EXPECT_EQ(field.count, 0u);
    EXPECT_EQ(field.particles.size(), 50u);
    field.particles[0].alpha = 255;
    field.draw();
    EXPECT_EQ(canvas.paintedBox().w, 0);

    workspace.remove(ParticleField::bitmapPath);
    StdoutCapture printed;
    ParticleField bare(canvas.renderer());
    const std::string error = SDL_GetError();
    EXPECT_EQ(printed.text(), std::string("Surface for bitmap '") + ParticleField::bitmapPath +
                                  "' not loaded!\n" + error + "\n");
    bare.count = 1;
    bare.particles[0].alpha = 255;
    bare.draw();
    EXPECT_EQ(canvas.paintedBox().w, 0);
}

TEST_F(ParticleFieldTest, LiveParticleOpacityAndPosition) {
    ParticleField field(canvas.renderer());
    field.count = 1;
    field.particles[0].x = 12.9f;
    field.particles[0].y = 7.2f;
    for (uint32_t alpha : {255u, 256u, 300u}) { // above 255 is opaque, not wrapped
        canvas.clear();
        field.particles[0].alpha = alpha;
        field.draw();
        const SDL_Rect box = canvas.paintedBox();
        EXPECT_EQ(box, (SDL_Rect{12, 7, 4, 4})) << alpha;
        EXPECT_EQ(canvas.pixel(15, 10), white) << alpha;
    }
    canvas.clear();
    field.particles[0].alpha = 0;
    field.draw();
    EXPECT_EQ(canvas.paintedBox().w, 0);
}

TEST_F(ParticleFieldTest, ACountAboveThePoolDrawsThePoolOnly) {
    writeBitmap(ParticleField::bitmapPath, 2, 2, [](int, int) { return white; });
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
