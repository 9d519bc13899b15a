// One drawn frame of each screen, as the main loop draws it.
#include "app/Game.h"
#include "core/Clock.h"
#include "level/Level.h"
#include "support/ScreenRig.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {
constexpr int frameWidth = 1280;
constexpr int frameHeight = 720;

// A 1280 x 720 screen in a scratch workspace of its own.
struct Screen : ScreenRig {
    int32_t scene = 0;

    Screen() : ScreenRig(frameWidth, frameHeight) {
        settings.windowWidth = frameWidth;
        settings.windowHeight = frameHeight;
    }
    void clear() const { SDL_RenderClear(canvas.renderer()); }
};

void writeSquareLevel(int size) {
    std::ofstream file("Resources/Data/level0.level", std::ios::binary | std::ios::trunc);
    for (int row = 0; row < size; ++row) {
        file << std::string(static_cast<size_t>(size), '1') << "\r\n";
    }
}

void BM_MainMenuFrame(benchmark::State& state) {
    Screen screen;
    MainMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                  screen.settings, screen.scene);
    for ([[maybe_unused]] auto _ : state) {
        screen.clear();
        menu.render();
    }
}
BENCHMARK(BM_MainMenuFrame)->Unit(benchmark::kMicrosecond);

// Reads the whole canvas back, one ARGB value per pixel.
std::vector<Uint32> readCanvas(SDL_Renderer* renderer) {
    std::vector<Uint32> pixels(static_cast<size_t>(frameWidth) * frameHeight);
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(),
                         frameWidth * static_cast<int>(sizeof(Uint32)));
    return pixels;
}

// The bare frames below only mean something if they draw exactly the game's
// picture: stops the run, saying where, when the two canvases differ (or when
// the game drew nothing at all, which would make the match empty).
template <typename DrawGame, typename DrawBare>
void requireSamePicture(const char* what, const Screen& screen, DrawGame drawGame,
                        DrawBare drawBare) {
    SDL_Renderer* renderer = screen.canvas.renderer();
    screen.clear();
    const std::vector<Uint32> blank = readCanvas(renderer);
    drawGame();
    const std::vector<Uint32> game = readCanvas(renderer);
    screen.clear();
    drawBare();
    const std::vector<Uint32> bare = readCanvas(renderer);
    if (game == blank) {
        std::fprintf(stderr, "%s: the game's frame is empty, nothing to compare\n", what);
        std::abort();
    }
    size_t differing = 0;
    size_t first = 0;
    for (size_t i = game.size(); i-- > 0;) {
        if (game[i] != bare[i]) {
            ++differing;
            first = i;
        }
    }
    if (differing != 0) {
        std::fprintf(stderr,
                     "%s: the bare SDL frame differs from the game's in %zu pixels, first at "
                     "(%zu, %zu): game %08x, bare %08x\n",
                     what, differing, first % frameWidth, first / frameWidth, game[first],
                     bare[first]);
        std::abort();
    }
}

// A bitmap as the game loads its pictures: magenta transparent.
SDL_Texture* loadKeyedBitmap(SDL_Renderer* renderer, const char* path, int& width, int& height) {
    SDL_Surface* surface = SDL_LoadBMP(path);
    if (surface == nullptr) {
        std::fprintf(stderr, "cannot load %s: %s\n", path, SDL_GetError());
        std::abort();
    }
    SDL_SetColorKey(surface, SDL_TRUE, SDL_MapRGB(surface->format, 255, 0, 255));
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    width = surface->w;
    height = surface->h;
    SDL_FreeSurface(surface);
    return texture;
}

// The main menu drawn with SDL calls alone: each background stretched to its
// label plus 16 pixels either side and centred on the entry's point, then the
// label centred on it, through the font opened, rendered and freed per label.
class BareMainMenu {
  public:
    explicit BareMainMenu(SDL_Renderer* renderer) : renderer(renderer) {
        int width = 0;
        int height = 0;
        background = loadKeyedBitmap(renderer, "Resources/Assets/Button.bmp", width, height);
        TTF_Font* font = TTF_OpenFont(fontPath, 12);
        for (Entry& entry : entries) {
            int labelWidth = 0;
            int labelHeight = 0;
            TTF_SizeText(font, entry.label, &labelWidth, &labelHeight);
            const float x = 0.5f * static_cast<float>(frameWidth);
            const float y = entry.heightFactor * static_cast<float>(frameHeight);
            const int stretched = labelWidth + 32;
            entry.background = SDL_Rect{static_cast<int>(x - static_cast<float>(stretched) / 2.0f),
                                        static_cast<int>(y - static_cast<float>(height) / 2.0f),
                                        stretched, height};
            entry.labelX = static_cast<int>(x - static_cast<float>(labelWidth) / 2.0f);
            entry.labelY = static_cast<int>(y - static_cast<float>(labelHeight) / 2.0f);
        }
        TTF_CloseFont(font);
    }
    ~BareMainMenu() { SDL_DestroyTexture(background); }
    BareMainMenu(const BareMainMenu&) = delete;
    BareMainMenu& operator=(const BareMainMenu&) = delete;

    void draw() const {
        for (const Entry& entry : entries) {
            SDL_RenderCopy(renderer, background, nullptr, &entry.background);
            TTF_Font* font = TTF_OpenFont(fontPath, 12);
            SDL_Surface* surface = TTF_RenderText_Solid(font, entry.label, white);
            SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
            const SDL_Rect destination{entry.labelX, entry.labelY, surface->w, surface->h};
            SDL_RenderCopy(renderer, texture, nullptr, &destination);
            SDL_DestroyTexture(texture);
            SDL_FreeSurface(surface);
            TTF_CloseFont(font);
        }
    }

  private:
    struct Entry {
        const char* label;
        float heightFactor;
        SDL_Rect background;
        int labelX;
        int labelY;
    };
    static constexpr const char* fontPath = "Resources/Assets/DejaVuSans.ttf";
    static constexpr SDL_Color white{255, 255, 255, 0};

    SDL_Renderer* renderer;
    SDL_Texture* background = nullptr;
    Entry entries[4] = {{"Continue", 0.6f, {}, 0, 0},
                        {"New Game", 0.7f, {}, 0, 0},
                        {"Options", 0.8f, {}, 0, 0},
                        {"Quit", 0.9f, {}, 0, 0}};
};

void BM_MainMenuFrameBareSdl(benchmark::State& state) {
    Screen screen;
    const BareMainMenu bare(screen.canvas.renderer());
    {
        MainMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                      screen.settings, screen.scene);
        requireSamePicture(
            "main menu", screen, [&] { menu.render(); }, [&] { bare.draw(); });
    }
    for ([[maybe_unused]] auto _ : state) {
        screen.clear();
        bare.draw();
    }
}
BENCHMARK(BM_MainMenuFrameBareSdl)->Unit(benchmark::kMicrosecond);

void BM_OptionsMenuFrame(benchmark::State& state) {
    Screen screen;
    OptionsMenu menu(screen.canvas.renderer(), screen.input, screen.handler, screen.text,
                     screen.settings);
    for ([[maybe_unused]] auto _ : state) {
        screen.clear();
        menu.render();
    }
}
BENCHMARK(BM_OptionsMenuFrame)->Unit(benchmark::kMicrosecond);

// An all-floor map of the given size, the player at its start.
void BM_MapFrame(benchmark::State& state) {
    Screen screen;
    writeSquareLevel(static_cast<int>(state.range(0)));
    GameScene gameScene(screen.canvas.renderer(), screen.handler, screen.input, screen.text,
                        screen.settings);
    gameScene.update(0.011);
    for ([[maybe_unused]] auto _ : state) {
        screen.clear();
        gameScene.render();
    }
}
BENCHMARK(BM_MapFrame)->Arg(40)->Arg(150)->Arg(Level::maxRows)->Unit(benchmark::kMicrosecond);

// A square all-floor map drawn with SDL calls alone: one copy of the whole
// floor bitmap per cell at a 128-pixel pitch, the map placed so that the
// player, standing on cell (1, 1), has his frame's corner at the window's
// centre; then his first walking-down frame, stretched to the sheet's size
// as the game draws it.
class BareMap {
  public:
    BareMap(SDL_Renderer* renderer, int size) : renderer(renderer), size(size) {
        tiles =
            loadKeyedBitmap(renderer, "Resources/Assets/Level1Tiles.bmp", tileWidth, tileHeight);
        int sheetWidth = 0;
        int sheetHeight = 0;
        player = loadKeyedBitmap(renderer, "Resources/Assets/Player.bmp", sheetWidth, sheetHeight);
        const float playerX = 1.0f * pitch + 25.0f / 2.0f;
        const float playerY = 1.0f * pitch;
        const float cameraX = playerX - static_cast<float>(frameWidth) * 0.5f;
        const float cameraY = playerY - static_cast<float>(frameHeight) * 0.5f;
        originX = static_cast<int>(-cameraX);
        originY = static_cast<int>(-cameraY);
        playerSource = SDL_Rect{0, 3 * 32, 25, 32};
        playerDestination = SDL_Rect{static_cast<int>(playerX - cameraX),
                                     static_cast<int>(playerY - cameraY), sheetWidth, sheetHeight};
    }
    ~BareMap() {
        SDL_DestroyTexture(player);
        SDL_DestroyTexture(tiles);
    }
    BareMap(const BareMap&) = delete;
    BareMap& operator=(const BareMap&) = delete;

    void draw() const {
        for (int row = 0; row < size; ++row) {
            for (int column = 0; column < size; ++column) {
                const SDL_Rect destination{originX + pitch * column, originY + pitch * row,
                                           tileWidth, tileHeight};
                SDL_RenderCopy(renderer, tiles, nullptr, &destination);
            }
        }
        SDL_RenderCopy(renderer, player, &playerSource, &playerDestination);
    }

  private:
    static constexpr int pitch = 128;

    SDL_Renderer* renderer;
    int size;
    SDL_Texture* tiles = nullptr;
    SDL_Texture* player = nullptr;
    int tileWidth = 0;
    int tileHeight = 0;
    int originX = 0;
    int originY = 0;
    SDL_Rect playerSource{};
    SDL_Rect playerDestination{};
};

void BM_MapFrameBareSdl(benchmark::State& state) {
    Screen screen;
    const auto size = static_cast<int>(state.range(0));
    writeSquareLevel(size);
    const BareMap bare(screen.canvas.renderer(), size);
    {
        GameScene gameScene(screen.canvas.renderer(), screen.handler, screen.input, screen.text,
                            screen.settings);
        gameScene.update(0.011);
        requireSamePicture(
            "map", screen, [&] { gameScene.render(); }, [&] { bare.draw(); });
    }
    for ([[maybe_unused]] auto _ : state) {
        screen.clear();
        bare.draw();
    }
}
BENCHMARK(BM_MapFrameBareSdl)->Arg(150)->Unit(benchmark::kMicrosecond);

// Start-up through the first update (which builds the main menu) and the
// first presented frame, without the loop's own 17 ms wait.
void BM_StartupToFirstFrame(benchmark::State& state) {
    for ([[maybe_unused]] auto _ : state) {
        Clock::setManual(0);
        InputState input;
        InputHandler handler(input);
        Game game(input, handler);
        Clock::setManual(17);
        game.tick();
        benchmark::DoNotOptimize(game.lastRenderTime);
        game.shutdown();
    }
    Clock::useWallClock();
}
BENCHMARK(BM_StartupToFirstFrame)->Unit(benchmark::kMillisecond);
} // namespace
