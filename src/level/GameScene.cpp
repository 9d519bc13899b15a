#include "level/GameScene.h"

#include "core/Clock.h"

GameScene::GameScene(SDL_Renderer* renderer, InputHandler& inputHandler, InputState& inputState,
                     TextRenderer& textRenderer, Settings& settings)
    : renderer(renderer), inputHandler(inputHandler), inputState(inputState),
      textRenderer(textRenderer), settings(settings), level(std::make_unique<Level>()) {
    level->renderer = renderer;
    level->loadFromFile();
    level->tileSprite = std::make_unique<Sprite>();
    level->tileSprite->load(renderer, tilesPath, -1.0f, -1.0f, -1.0f, -1.0f);
    level->tileSprite->useSourceRect = false;
    level->tileSize = tileSize;
    player = std::make_unique<Player>(renderer, *level, inputState, *this, Player::sheetFrameWidth,
                                      Player::sheetFrameHeight, startX, startY);
}

// The player stands on the level, so it goes first; left to themselves the
// members would go in the reverse order, the level first.
GameScene::~GameScene() {
    player.reset();
    level.reset();
}

void GameScene::update(double elapsedSeconds) {
    cameraX = player->x - static_cast<float>(settings.windowWidth) * 0.5f;
    cameraY = player->y - static_cast<float>(settings.windowHeight) * 0.5f;
    if (turnOver != 0) {
        turnOver = 0;
        return;
    }
    player->deltaTime = elapsedSeconds;
    if (player->dead) {
        return;
    }
    if (player->moving) {
        player->moveStep();
    } else {
        player->handleInput();
    }
    if (player->invulnerable && Clock::passed(player->invulnerableUntil)) {
        player->invulnerable = false;
    }
}

void GameScene::render() const {
    level->render(cameraX, cameraY);
    player->currentSprite().draw(player->x - cameraX, player->y - cameraY);
}
