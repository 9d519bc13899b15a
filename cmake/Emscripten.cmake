# Builds for the browser with Debian's Emscripten. Libraries, headers and CMake
# packages come only from the prefixes given: Emscripten's own sysroot holds a
# CMake package that turns SDL2 into a library downloaded at build time.
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/Emscripten.cmake -DCMAKE_PREFIX_PATH=PREFIX ...
# where PREFIX holds the browser's libraries, as scripts/web-deps prints it.
include(/usr/share/emscripten/cmake/Modules/Platform/Emscripten.cmake)
set(CMAKE_FIND_ROOT_PATH ${CMAKE_PREFIX_PATH})

# Emscripten's tools are Python scripts run by the first python3 on the PATH
# (a slow one where a version manager's shim comes first) and its linker runs
# scripts that need Debian's Node.js modules: Debian's own Python, and its
# modules' folder, at configure time and for every link.
set(ENV{EMSDK_PYTHON} /usr/bin/python3)
set(ENV{NODE_PATH} /usr/share/nodejs)
set(CMAKE_C_LINKER_LAUNCHER env EMSDK_PYTHON=/usr/bin/python3 NODE_PATH=/usr/share/nodejs)
set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_C_LINKER_LAUNCHER})
