# Cross-builds for 64-bit ARM Linux (Raspberry Pi OS, Debian's arm64) with
# Debian's aarch64 cross compilers, against the arm64 libraries that
# scripts/arm64-deps unpacks into a sysroot; the programs built (tests among
# them) run under qemu with that sysroot's loader and libraries.
# Usage: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/Arm64.cmake -DQUARROW_ARM64_SYSROOT=SYSROOT ...
# where SYSROOT is what scripts/arm64-deps prints.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Debian's name for the architecture: the hardening flags and the package's are this one's.
set(QUARROW_DEB_ARCH arm64)

set(QUARROW_ARM64_SYSROOT "" CACHE PATH "The arm64 libraries, as scripts/arm64-deps prints their folder")
set(CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QUARROW_ARM64_SYSROOT)
if(NOT IS_DIRECTORY "${QUARROW_ARM64_SYSROOT}/usr/lib/aarch64-linux-gnu")
    message(FATAL_ERROR "QUARROW_ARM64_SYSROOT names no arm64 libraries: '${QUARROW_ARM64_SYSROOT}'")
endif()
set(sysroot ${QUARROW_ARM64_SYSROOT})

# Libraries, headers and packages come only from the sysroot (the C and C++
# libraries from the cross compiler's own); programs come from the host.
set(CMAKE_FIND_ROOT_PATH ${sysroot})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# SDL2's configuration header is in the multiarch folder, which the cross
# compiler does not search by itself.
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${sysroot}/usr/include/aarch64-linux-gnu)
# What SDL2 links in turn is found in the sysroot, not beside the cross
# compiler (PulseAudio's own library is in a folder of its own, which its
# client library names by its path on the target); so are the libraries
# whose packages the .deb depends on.
set(QUARROW_CROSS_LIBRARY_DIRS ${sysroot}/usr/lib/aarch64-linux-gnu ${sysroot}/lib/aarch64-linux-gnu
                               ${sysroot}/usr/lib/aarch64-linux-gnu/pulseaudio)
string(REPLACE ";" ":" path "${QUARROW_CROSS_LIBRARY_DIRS}")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-Wl,-rpath-link,${path}")

# The sysroot's loader and libraries, and no others: the cross compiler's C
# library (which it links against, of the same version) is not mixed in.
find_program(QEMU_AARCH64 qemu-aarch64-static)
if(QEMU_AARCH64)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${QEMU_AARCH64} -L ${sysroot})
endif()
