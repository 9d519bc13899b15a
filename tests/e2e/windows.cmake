# The Windows build in a real window: quarrow.exe under wine on an Xvfb display of its own, driven like the
# Linux game, its menu's pixels set against those of the Linux build (scripts/test builds that first, in
# build/test). The timeout only catches hangs.
set(QUARROW_LINUX_GAME ${PROJECT_SOURCE_DIR}/build/test/quarrow CACHE FILEPATH
    "The Linux build of the game, whose pixels the Windows build's must equal")
add_test(NAME e2e.windows.plays_under_wine
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_windows.py $<TARGET_FILE:quarrow>
                 ${PROJECT_SOURCE_DIR}/Resources ${QUARROW_LINUX_GAME})
set_tests_properties(e2e.windows.plays_under_wine PROPERTIES LABELS e2e TIMEOUT 600)
