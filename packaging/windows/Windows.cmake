# The Windows zip (scripts/package-windows builds it with CPack): unpacked
# anywhere the player can write, it is the game's whole working folder.
#   quarrow.exe                    the game, needing no DLL but Windows' own
#   Resources/Assets/              the pictures and the font
#   Resources/Data/                empty: the settings, the save and the levels go here
#   README.txt                     how to play it
#   LICENSES/                      the game's, the font's and those of SDL2, SDL2_ttf and FreeType,
#                                  which are linked into quarrow.exe

install(TARGETS quarrow RUNTIME DESTINATION .)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/Resources/Assets DESTINATION Resources
        FILES_MATCHING PATTERN "*.bmp" PATTERN "DejaVuSans.ttf")
install(DIRECTORY DESTINATION Resources/Data)
# Windows' own line ends, so that Notepad shows the text as it is meant.
file(READ ${CMAKE_CURRENT_SOURCE_DIR}/windows/README.txt readme)
string(REPLACE "\n" "\r\n" readme "${readme}")
file(GENERATE OUTPUT ${CMAKE_CURRENT_BINARY_DIR}/README.txt CONTENT "${readme}")
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION LICENSES RENAME Quarrow-MIT.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSES/Bitstream-Vera.txt DESTINATION LICENSES
        RENAME DejaVuSans-Bitstream-Vera.txt)
# scripts/windows-deps keeps the libraries' licences in their prefix.
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    file(GLOB licences ${prefix}/licenses/*.txt)
    install(FILES ${licences} DESTINATION LICENSES)
endforeach()

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME quarrow)
set(CPACK_PACKAGE_VERSION ${QUARROW_VERSION})
set(CPACK_PACKAGE_FILE_NAME quarrow-${QUARROW_VERSION}-windows-x64)
# The files at the top of the zip: it is unpacked into a folder of the player's choosing.
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
# Stripped already, by the linker.
set(CPACK_STRIP_FILES OFF)
# Every time stamp in the zip is the last commit's (unless SOURCE_DATE_EPOCH is
# set already), so that two builds of one commit give the same bytes.
set(QUARROW_SOURCE_DIR ${PROJECT_SOURCE_DIR})
configure_file(${CMAKE_CURRENT_SOURCE_DIR}/CPackProjectConfig.cmake.in CPackProjectConfig.cmake @ONLY)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_BINARY_DIR}/CPackProjectConfig.cmake)
include(CPack)
