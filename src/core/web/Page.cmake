# The game as a web page of our own (page.html): quarrow.html, its .js and
# .wasm, and quarrow.data with the pictures and the font. The browser runs the
# loop, a pass for each frame it shows (no Asyncify); the data folder is kept
# in IndexedDB by playerFiles.js, through which loadFiles.js fills it before
# main runs, and stage.js fits the canvas into the page and gives touch screens
# their keys: the three go ahead of the runtime in the page's script. The page
# learns of the game's end from the runtime.
# quarrow_page holds the flags that every page program (the game's, the frame
# benchmark's) is linked with.
add_library(quarrow_page INTERFACE)
target_link_options(quarrow_page INTERFACE -sMINIFY_HTML=0
    --preload-file ${PROJECT_SOURCE_DIR}/Resources/Assets@/Resources/Assets
    -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1)
set_target_properties(quarrow PROPERTIES SUFFIX .html)
set(page ${CMAKE_CURRENT_LIST_DIR}/page.html)
set(playerFiles ${CMAKE_CURRENT_LIST_DIR}/playerFiles.js)
set(loadFiles ${CMAKE_CURRENT_LIST_DIR}/loadFiles.js)
set(stage ${CMAKE_CURRENT_LIST_DIR}/stage.js)
set_property(TARGET quarrow APPEND PROPERTY LINK_DEPENDS ${page} ${playerFiles} ${loadFiles} ${stage})
target_link_libraries(quarrow PRIVATE quarrow_page)
# (SHELL: keeps each --pre-js with its file: CMake drops repeated options.)
target_link_options(quarrow PRIVATE --shell-file ${page} "SHELL:--pre-js ${playerFiles}"
    "SHELL:--pre-js ${loadFiles}" "SHELL:--pre-js ${stage}")
