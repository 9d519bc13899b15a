# The Windows zip (scripts/package-windows packs this tree): unpacked
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
configure_file(windows/README.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/README.txt DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSE DESTINATION LICENSES RENAME Quarrow-MIT.txt)
install(FILES ${PROJECT_SOURCE_DIR}/LICENSES/Bitstream-Vera.txt DESTINATION LICENSES
        RENAME DejaVuSans-Bitstream-Vera.txt)
# scripts/windows-deps keeps the libraries' licences in their prefix.
foreach(prefix IN LISTS CMAKE_PREFIX_PATH)
    file(GLOB licences ${prefix}/licenses/*.txt)
    install(FILES ${licences} DESTINATION LICENSES)
endforeach()

# scripts/package-windows packs the installed tree; the zip's name:
set(QUARROW_ZIP_NAME quarrow-${QUARROW_VERSION}-windows-x64.zip CACHE INTERNAL "")
# ... and the installer's script and name.
set(QUARROW_LICENCE ${PROJECT_SOURCE_DIR}/LICENSE)
set(QUARROW_INSTALLER_PICTURE ${PROJECT_SOURCE_DIR}/packaging/icons/installer.bmp)
configure_file(windows/Installer.nsi.in Installer.nsi @ONLY)
set(QUARROW_SETUP_NAME quarrow-${QUARROW_VERSION}-windows-x64-setup.exe CACHE INTERNAL "")
