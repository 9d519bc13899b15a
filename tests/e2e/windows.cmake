# The Windows build in a real window: quarrow.exe under wine on an Xvfb display of its own, driven like the
# Linux game, its menu's pixels set against those of the Linux build (scripts/test builds that first, in
# build/test). The timeout only catches hangs.
set(QUARROW_LINUX_GAME ${PROJECT_SOURCE_DIR}/build/test/quarrow CACHE FILEPATH
    "The Linux build of the game, whose pixels the Windows build's must equal")
foreach(case IN ITEMS plays_under_wine session_end_saves)
    add_test(NAME e2e.windows.${case}
             COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_windows.py $<TARGET_FILE:quarrow>
                     ${PROJECT_SOURCE_DIR}/Resources ${QUARROW_LINUX_GAME} ${case})
    set_tests_properties(e2e.windows.${case} PROPERTIES LABELS e2e TIMEOUT 600)
endforeach()

# The zip and the installer a player downloads: scripts/package-windows run in two copies of the repository (made
# in scratch folders of the test's own, never here), their packages compared and looked into, the game played from
# one unzipped, under wine, and the installer run in a fresh wine prefix of the test's own. The copies compile through the compiler cache; the timeout only catches hangs.
add_test(NAME install.windows_zip COMMAND python3 ${PROJECT_SOURCE_DIR}/tests/install/test_windows_zip.py)
set_tests_properties(install.windows_zip PROPERTIES LABELS "install;e2e" TIMEOUT 900 COST 1000)
# Two games in one wine session at once take each other's keys, even on two displays: the real-window tests take
# turns.
set_tests_properties(e2e.windows.plays_under_wine e2e.windows.session_end_saves install.windows_zip
                     PROPERTIES RESOURCE_LOCK quarrow-wine-window)
