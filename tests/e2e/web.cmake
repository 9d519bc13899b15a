# The web build in headless Chromium, served from a loopback server of the test's own, its menu's pixels set
# against those of the Linux build (scripts/test builds that first, in build/test). Selenium is Debian's, for
# Debian's Python. The timeout only catches hangs.
set(QUARROW_LINUX_GAME ${PROJECT_SOURCE_DIR}/build/test/quarrow CACHE FILEPATH
    "The Linux build of the game, whose pixels the web build's must equal")
foreach(case plays_in_chromium walks_at_the_desktops_pace storage_refused_still_plays failed_loads_say_so
             fits_a_desktop_page plays_on_a_phone)
    add_test(NAME e2e.web.${case}
             COMMAND /usr/bin/python3 ${CMAKE_CURRENT_LIST_DIR}/test_web.py $<TARGET_FILE_DIR:quarrow>
                     ${PROJECT_SOURCE_DIR}/Resources ${QUARROW_LINUX_GAME} ${case})
    set_tests_properties(e2e.web.${case} PROPERTIES LABELS e2e TIMEOUT 600)
endforeach()
