# The game as a web page of our own (page.html): quarrow.html, its .js and
# .wasm, and quarrow.data with the pictures and the font. The loop keeps its
# desktop form and gives the page its turn through Asyncify; the data folder is
# kept in IndexedDB by playerFiles.js, and stage.js fits the canvas into the
# page and gives touch screens their keys: both go ahead of the runtime in the
# page's script. The page learns of the game's end from the runtime.
# quarrow_page holds the flags that every page program (the game's, the frame
# benchmark's) is linked with.
add_library(quarrow_page INTERFACE)
target_link_options(quarrow_page INTERFACE -sMINIFY_HTML=0
    --preload-file ${PROJECT_SOURCE_DIR}/Resources/Assets@/Resources/Assets
    -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1)
# quarrow_page_loop is what a page whose main loop yields to the page needs:
# Asyncify, which lets a function return to the browser and resume later.
add_library(quarrow_page_loop INTERFACE)
target_link_options(quarrow_page_loop INTERFACE -sASYNCIFY)
set_target_properties(quarrow PROPERTIES SUFFIX .html)
set(page ${CMAKE_CURRENT_LIST_DIR}/page.html)
set(playerFiles ${CMAKE_CURRENT_LIST_DIR}/playerFiles.js)
set(stage ${CMAKE_CURRENT_LIST_DIR}/stage.js)
set_property(TARGET quarrow APPEND PROPERTY LINK_DEPENDS ${page} ${playerFiles} ${stage})
target_link_libraries(quarrow PRIVATE quarrow_page quarrow_page_loop)
# (SHELL: keeps each --pre-js with its file: CMake drops repeated options.)
target_link_options(quarrow PRIVATE --shell-file ${page} "SHELL:--pre-js ${playerFiles}"
    "SHELL:--pre-js ${stage}")
