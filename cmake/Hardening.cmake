# The distribution's hardening flags for every target of the tree, when
# dpkg-buildflags is there to give them; for Windows, what MinGW's compiler
# and linker take; for the browser, what Emscripten offers.
include(CheckCXXCompilerFlag)

if(WIN32)
    # Fortified functions and a strong stack protector (its runtime, libssp, is
    # linked in); an image that may load anywhere, with a 64-bit address space
    # to choose from, and data that cannot run.
    string(APPEND CMAKE_CXX_FLAGS " -D_FORTIFY_SOURCE=2 -fstack-protector-strong")
    string(APPEND CMAKE_EXE_LINKER_FLAGS
           " -fstack-protector-strong -Wl,--dynamicbase,--nxcompat,--high-entropy-va")
    return()
endif()

if(EMSCRIPTEN)
    # WebAssembly checks every call through a pointer against its type and
    # keeps the stack out of the program's reach; the stack protector has no
    # runtime there. What Emscripten offers instead: the end of the data stack
    # checked for overruns, and a failed allocation stopping the program
    # instead of returning null.
    string(APPEND CMAKE_EXE_LINKER_FLAGS " -sSTACK_OVERFLOW_CHECK=1 -sABORTING_MALLOC=1")
    return()
endif()

find_program(QUARROW_DPKG_BUILDFLAGS dpkg-buildflags)
if(QUARROW_DPKG_BUILDFLAGS)
    # A cross build (its toolchain file names Debian's architecture) takes that
    # architecture's flags. Run from the source folder, so that its file-prefix
    # map turns that path into ".".
    set(host_arch)
    if(QUARROW_DEB_ARCH)
        set(host_arch DEB_HOST_ARCH=${QUARROW_DEB_ARCH})
    endif()
    foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
        execute_process(COMMAND ${CMAKE_COMMAND} -E env DEB_BUILD_MAINT_OPTIONS=hardening=+all ${host_arch}
                                ${QUARROW_DPKG_BUILDFLAGS} --get ${kind}
                        WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
                        OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE
                        RESULT_VARIABLE failed)
        if(failed)
            message(FATAL_ERROR "dpkg-buildflags --get ${kind} failed")
        endif()
        # In the general flags, before the build type's: Release keeps its -O3.
        if(kind STREQUAL "LDFLAGS")
            string(APPEND CMAKE_EXE_LINKER_FLAGS " ${flags}")
        else()
            string(APPEND CMAKE_CXX_FLAGS " ${flags}")
        endif()
    endforeach()
else()
    message(STATUS "No dpkg-buildflags: Release built without the distribution's hardening")
endif()

# Not in every dpkg-buildflags yet. Control-flow protection exists for x86
# alone: the compiler refuses it for other processors, and so does the check.
foreach(flag -fstack-clash-protection -fcf-protection)
    string(MAKE_C_IDENTIFIER "QUARROW_HAS${flag}" known)
    check_cxx_compiler_flag(${flag} ${known})
    if(${known})
        string(APPEND CMAKE_CXX_FLAGS " ${flag}")
    endif()
endforeach()
