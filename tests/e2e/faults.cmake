# Real-window runs of the game against trouble: missing, read-only and mangled files (test_faults.py),
# SIGKILL at random moments while it writes Settings.ini and the level files (test_kills.py), and the
# player's files when they are read-only, linked, special files or shared by two games (test_files.py).
foreach(area faults kills files)
    add_test(NAME e2e_${area}
             COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_${area}.py $<TARGET_FILE:quarrow>
                     ${PROJECT_SOURCE_DIR}/Resources)
    set_tests_properties(e2e_${area} PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE)
endforeach()
