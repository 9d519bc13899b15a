// Bitmap loading and the one draw rule, checked to the pixel; a clip given by
// one coordinate only; bitmaps too large or not files at all.
#include "graphics/Sprite.h"
#include "support/SdlSession.h"
#include "support/SoftwareCanvas.h"
#include "support/StdoutCapture.h"
#include "support/TestWorkspace.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

const Rgb red{255, 0, 0}, blue{0, 0, 255}, green{0, 255, 0}, nearMagenta{254, 0, 255};
const char* const path = "Resources/Assets/Test.bmp";

struct SpriteTest : testing::Test {
    // 64 x 32: 32 columns red, 16 blue, 16 green; the top left pixel magenta,
    // its right neighbour nearly so.
    void SetUp() override {
        writeBitmap(path, 64, 32, [](int x, int y) {
            if (y == 0 && x < 2) {
                return x == 0 ? Rgb{255, 0, 255} : nearMagenta;
            }
            return x < 32 ? red : x < 48 ? blue : green;
        });
    }
    SdlSession sdl;
    TestWorkspace workspace;
    SoftwareCanvas canvas{100, 60};
};

TEST_F(SpriteTest, DrawsAtTruncatedCornerAndOwnSize) {
    Sprite sprite;
    sprite.load(canvas.renderer(), path);
    EXPECT_EQ(sprite.width, 64);
    EXPECT_EQ(sprite.height, 32);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{0, 0, 0, 0}));
    canvas.clear(Rgb{10, 20, 30});
    sprite.draw(10.7f, -0.5f);
    EXPECT_EQ(canvas.paintedBox(Rgb{10, 20, 30}), (SDL_Rect{10, 0, 64, 32}));
    EXPECT_EQ(canvas.pixel(10, 0), (Rgb{10, 20, 30}));
    EXPECT_EQ(canvas.pixel(11, 0), nearMagenta);
    EXPECT_EQ(canvas.pixel(41, 31), red);
    EXPECT_EQ(canvas.pixel(42, 31), blue);
}

TEST_F(SpriteTest, ClipSelectsPartAndDrawStretchesIt) {
    Sprite sprite;
    sprite.load(canvas.renderer(), path, 32.0f, 0.0f, 32.0f, 32.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{32, 0, 32, 32}));
    EXPECT_EQ(sprite.width, 64);
    EXPECT_EQ(sprite.height, 32);
    sprite.useSourceRect = true;
    sprite.draw(0.0f, 0.0f);
    EXPECT_EQ(canvas.paintedBox(), (SDL_Rect{0, 0, 64, 32}));
    EXPECT_EQ(canvas.pixel(31, 31), blue);
    EXPECT_EQ(canvas.pixel(32, 0), green);

    // Each pair counts only when both values exceed -1; values truncate toward zero.
    const struct {
        float x, y, w, h;
        SDL_Rect expected;
    } cases[] = {
        {-1.0f, 5.0f, 10.0f, 10.0f, {0, 0, 10, 10}},
        {31.9f, 0.5f, 10.2f, -1.0f, {31, 0, 0, 0}},
        {-0.9f, -0.5f, -0.99f, 4.99f, {0, 0, 0, 4}},
    };
    for (const auto& c : cases) {
        Sprite clipped;
        clipped.load(canvas.renderer(), path, c.x, c.y, c.w, c.h);
        EXPECT_EQ(clipped.sourceRect, c.expected) << c.x << "," << c.y << "," << c.w;
    }
}

TEST_F(SpriteTest, LoadFailuresAreReported) {
    Sprite missing;
    StdoutCapture printedMissing;
    missing.load(canvas.renderer(), "Resources/Assets/None.bmp", 1.0f, 2.0f, 3.0f, 4.0f);
    std::string error = SDL_GetError();
    EXPECT_EQ(printedMissing.text(),
              "Surface for bitmap 'Resources/Assets/None.bmp' not loaded!\n" + error + "\n");
    EXPECT_EQ(missing.width, 1);
    EXPECT_EQ(missing.height, 1);
    EXPECT_EQ(missing.sourceRect, (SDL_Rect{0, 0, 0, 0}));
    missing.draw(5.0f, 5.0f);
    EXPECT_EQ(canvas.paintedBox().w, 0);

    Sprite noRenderer;
    StdoutCapture printedNoRenderer;
    noRenderer.load(nullptr, path);
    error = SDL_GetError();
    EXPECT_EQ(printedNoRenderer.text(),
              std::string("Texture for bitmap '") + path + "' not loaded!\n" + error + "\n");
    EXPECT_EQ(noRenderer.texture, nullptr);
    EXPECT_EQ(noRenderer.width, 64);
    EXPECT_EQ(noRenderer.height, 32);
}

// A bitmap's 14-byte file header and an info header of `infoSize` bytes
// claiming the given size, with no pixels after it.
std::string bitmapHeader(uint32_t infoSize, int32_t width, int32_t height) {
    std::string bytes = "BM";
    const auto put = [&bytes](uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
        }
    };
    put(14 + infoSize, 4);
    put(0, 4);
    put(14 + infoSize, 4);
    put(infoSize, 4);
    const int side = infoSize == 12 ? 2 : 4;
    put(static_cast<uint32_t>(width), side);
    put(static_cast<uint32_t>(height), side);
    bytes.resize(14 + infoSize, '\0');
    return bytes;
}

TEST_F(SpriteTest, BitmapsClaimingMoreThanAnyPictureOrNotFilesAreRefused) {
    const struct {
        std::string header;
        const char* error;
    } cases[] = {
        {bitmapHeader(40, 60000, 60000), "The bitmap claims 60000 x 60000 pixels"},
        {bitmapHeader(40, 16384, -4097), "The bitmap claims 16384 x 4097 pixels"},
        {bitmapHeader(12, 16385, 1), "The bitmap claims 16385 x 1 pixels"},
        // Too tall on its own, whatever its width.
        {bitmapHeader(40, 1, 16385), "The bitmap claims 1 x 16385 pixels"},
    };
    for (const auto& [header, error] : cases) {
        workspace.write(path, header);
        Sprite refused;
        StdoutCapture printed;
        refused.load(canvas.renderer(), path);
        EXPECT_EQ(printed.text(), std::string("Surface for bitmap '") + path + "' not loaded!\n" +
                                      error + ", more than the game can use\n");
        EXPECT_EQ(refused.surface, nullptr);
    }
    // A folder (or, where the system has them, a FIFO) is not opened.
#if defined(_WIN32) || defined(__EMSCRIPTEN__)
    std::filesystem::create_directory("Resources/Assets/Fifo.bmp");
#else
    ASSERT_EQ(mkfifo("Resources/Assets/Fifo.bmp", 0644), 0);
#endif
    Sprite fifo;
    StdoutCapture printed;
    fifo.load(canvas.renderer(), "Resources/Assets/Fifo.bmp");
    EXPECT_EQ(printed.text(), "Surface for bitmap 'Resources/Assets/Fifo.bmp' not loaded!\n"
                              "'Resources/Assets/Fifo.bmp' is not a regular file\n");
}

TEST_F(SpriteTest, AClipPositionNeedsBothCoordinates) {
    Sprite sprite;
    sprite.load(canvas.renderer(), path, 5.0f, -1.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{0, 0, 7, 8}));
    sprite.load(canvas.renderer(), path, -1.0f, 6.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{0, 0, 7, 8}));
    sprite.load(canvas.renderer(), path, 5.0f, 6.0f, 7.0f, 8.0f);
    EXPECT_EQ(sprite.sourceRect, (SDL_Rect{5, 6, 7, 8}));
}

// Sets a little-endian field of `count` bytes at `at`.
void setField(std::string& bytes, size_t at, uint32_t value, int count) {
    for (int i = 0; i < count; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

std::string loadReport(SoftwareCanvas& canvas, Sprite& sprite) {
    StdoutCapture output;
    sprite.load(canvas.renderer(), path);
    return output.text();
}

TEST_F(SpriteTest, PixelRowsTheFileCannotHoldAreRefusedUnlessCompressed) {
    const std::string notLoaded = std::string("Surface for bitmap '") + path + "' not loaded!\n";
    // 8192 x 8192 at 32 bits in a 54-byte file: refused before anything is allocated.
    std::string lying = bitmapHeader(40, 8192, 8192);
    setField(lying, 28, 32, 2);
    workspace.write(path, lying);
    Sprite refused;
    EXPECT_EQ(loadReport(canvas, refused),
              notLoaded + "The bitmap claims 8192 x 8192 pixels, more than its file holds\n");
    EXPECT_EQ(refused.surface, nullptr);

    // 3 x 2 at 24 bits: two rows of 9 bytes, each padded to 12; one byte less is refused.
    std::string uncut = bitmapHeader(40, 3, 2);
    setField(uncut, 28, 24, 2);
    uncut.append(24, '\x40');
    workspace.write(path, uncut);
    Sprite whole;
    EXPECT_EQ(loadReport(canvas, whole), "");
    EXPECT_EQ(whole.width, 3);
    workspace.write(path, uncut.substr(0, uncut.size() - 1));
    Sprite cut;
    EXPECT_EQ(loadReport(canvas, cut),
              notLoaded + "The bitmap claims 3 x 2 pixels, more than its file holds\n");

    // 16 x 16 run-length coded in 6 bytes (one red row, then the end): SDL reads it.
    std::string coded = bitmapHeader(40, 16, 16);
    setField(coded, 10, 14 + 40 + 8, 4);
    setField(coded, 28, 8, 2);
    setField(coded, 30, 1, 4);
    setField(coded, 46, 2, 4);
    coded += std::string("\0\0\0\0\0\0\xff\0", 8) + std::string("\x10\x01\0\0\0\x01", 6);
    workspace.write(path, coded);
    Sprite decoded;
    EXPECT_EQ(loadReport(canvas, decoded), "");
    EXPECT_EQ(decoded.width, 16);
    EXPECT_EQ(decoded.height, 16);
}

TEST_F(SpriteTest, AFileThatIsNoBitmapGetsSdlsOwnReport) {
    workspace.write(path, "This is a text file that merely ends in .bmp\n");
    Sprite text;
    EXPECT_EQ(loadReport(canvas, text), std::string("Surface for bitmap '") + path +
                                            "' not loaded!\nFile is not a Windows BMP file\n");
}

} // namespace
