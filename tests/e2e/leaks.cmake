# Leak check of a whole real-window session (test_leaks.py). Include it only in the build whose quarrow
# is made with -fsanitize=address,undefined. The test builds a small leaking program with the same
# compiler to prove that lsan.supp hides no leak of the game's making.
add_test(NAME e2e_leaks
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_leaks.py $<TARGET_FILE:quarrow>
                 ${PROJECT_SOURCE_DIR}/Resources)
set_tests_properties(e2e_leaks PROPERTIES LABELS leak TIMEOUT 180 RUN_SERIAL TRUE
                     ENVIRONMENT "CXX=${CMAKE_CXX_COMPILER}")
