# The web zip (scripts/package-web packs this tree): unpacked and served by any
# static web server, its index.html is the game.
#   index.html                     the page: the canvas, the printed lines, where the files are kept
#   quarrow.js, quarrow.wasm       the game
#   quarrow.data                   the pictures and the font
#   LICENSES/                      the game's, the font's, those of SDL2, SDL2_ttf and FreeType, which
#                                  are built into quarrow.wasm, and Emscripten's, whose runtime is

install(FILES $<TARGET_FILE:quarrow> DESTINATION . RENAME index.html)
install(FILES $<TARGET_FILE_DIR:quarrow>/quarrow.js $<TARGET_FILE_DIR:quarrow>/quarrow.wasm
              $<TARGET_FILE_DIR:quarrow>/quarrow.data DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION LICENSES RENAME Quarrow-MIT.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSES/Bitstream-Vera.txt DESTINATION LICENSES
        RENAME DejaVuSans-Bitstream-Vera.txt)
install(FILES /usr/share/doc/emscripten/copyright DESTINATION LICENSES RENAME Emscripten-copyright.txt)
# scripts/web-deps keeps the libraries' licences in their prefix.
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    file(GLOB licences ${prefix}/licenses/*.txt)
    install(FILES ${licences} DESTINATION LICENSES)
endforeach()

# scripts/package-web packs the installed tree; the zip's name:
set(QUARROW_ZIP_NAME quarrow-${QUARROW_VERSION}-web.zip CACHE INTERNAL "")
