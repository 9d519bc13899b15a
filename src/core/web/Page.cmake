# The game as a web page of our own (page.html): quarrow.html, its .js and
# .wasm, and quarrow.data with the pictures and the font. The loop keeps its
# desktop form and gives the page its turn through Asyncify; the data folder is
# kept in IndexedDB by playerFiles.js, which goes ahead of the runtime in the
# page's script; the page learns of the game's end from the runtime.
set_target_properties(quarrow PROPERTIES SUFFIX .html)
set(page ${CMAKE_CURRENT_LIST_DIR}/page.html)
set(playerFiles ${CMAKE_CURRENT_LIST_DIR}/playerFiles.js)
set_property(TARGET quarrow APPEND PROPERTY LINK_DEPENDS ${page} ${playerFiles})
target_link_options(quarrow PRIVATE
    --shell-file ${page} -sMINIFY_HTML=0 --pre-js ${playerFiles}
    --preload-file ${PROJECT_SOURCE_DIR}/Resources/Assets@/Resources/Assets
    -sASYNCIFY -sEXIT_RUNTIME=1 -sENVIRONMENT=web -sALLOW_MEMORY_GROWTH=1)
