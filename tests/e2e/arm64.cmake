# The arm64 build in a real window: the game under qemu, with the loader and libraries of its sysroot, on an Xvfb
# display of its own, driven like the amd64 game, its menu's pixels set against those of the amd64 build
# (scripts/test builds that first, in build/test). The timeout only catches hangs.
set(QUARROW_LINUX_GAME ${PROJECT_SOURCE_DIR}/build/test/quarrow CACHE FILEPATH
    "The amd64 build of the game, whose pixels the arm64 build's must equal")
add_test(NAME e2e.arm64.plays_under_qemu
         COMMAND python3 ${CMAKE_CURRENT_LIST_DIR}/test_arm64.py $<TARGET_FILE:quarrow> ${PROJECT_SOURCE_DIR}/Resources
                 ${QUARROW_LINUX_GAME} ${QUARROW_ARM64_SYSROOT})
set_tests_properties(e2e.arm64.plays_under_qemu PROPERTIES LABELS e2e TIMEOUT 600)
