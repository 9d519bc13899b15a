# Runs of the sanitizer-built game, included only in the build whose quarrow is made with the address and
# undefined-behaviour sanitizers. Leak check of a whole real-window session (test_leaks.py). The test builds
# a small leaking program with the same compiler to prove that tests/lsan.supp hides no leak of the game's
# making.
add_test(NAME e2e_leaks
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_leaks.py $<TARGET_FILE:quarrow>
                 ${PROJECT_SOURCE_DIR}/Resources)
# Mesa's driver is preloaded from the build's own multiarch folder: a machine may hold another
# architecture's beside it.
set_tests_properties(e2e_leaks PROPERTIES LABELS leak TIMEOUT 180
                     ENVIRONMENT "CXX=${CMAKE_CXX_COMPILER};QUARROW_MULTIARCH=${CMAKE_LIBRARY_ARCHITECTURE}")

# The absurd Settings.ini values (sizes at the limits of 32 bits) reach the layout and drawing maths:
# any undefined conversion or overflow there stops the game with a report, and the case fails on its
# exit status. Leaks are test_leaks.py's business, so they are not checked here.
add_test(NAME e2e_absurd_settings_sanitized
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_faults.py $<TARGET_FILE:quarrow>
                 ${PROJECT_SOURCE_DIR}/Resources absurd_settings_values)
set_tests_properties(e2e_absurd_settings_sanitized PROPERTIES LABELS leak TIMEOUT 300
                     ENVIRONMENT "ASAN_OPTIONS=detect_leaks=0;UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1")
