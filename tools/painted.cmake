# The painter's checks (cmake -P): it paints the committed pictures byte for byte, and a picture
# it cannot write in full fails the run with a message.
# -DPAINTER=program -DSOURCE=repository root -DWORK=scratch folder
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/assets" "${WORK}/icons" "${WORK}/full")

execute_process(COMMAND "${PAINTER}" "${WORK}/assets" "${WORK}/icons" RESULT_VARIABLE status
                OUTPUT_QUIET)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "the painter failed: ${status}")
endif()
foreach(set IN ITEMS "assets,Resources/Assets,*.bmp" "icons,packaging/icons,*.png,*.ico,*.bmp")
    string(REPLACE "," ";" set "${set}")
    list(POP_FRONT set painted committed)
    list(TRANSFORM set PREPEND "${SOURCE}/${committed}/" OUTPUT_VARIABLE patterns)
    file(GLOB pictures RELATIVE "${SOURCE}/${committed}" ${patterns})
    file(GLOB made RELATIVE "${WORK}/${painted}" "${WORK}/${painted}/*")
    list(SORT pictures)
    list(SORT made)
    if(NOT pictures STREQUAL made)
        message(FATAL_ERROR "${committed} holds ${pictures}; the painter made ${made}")
    endif()
    foreach(picture IN LISTS pictures)
        execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${WORK}/${painted}/${picture}"
                                "${SOURCE}/${committed}/${picture}" RESULT_VARIABLE differ)
        if(NOT differ EQUAL 0)
            message(FATAL_ERROR "${committed}/${picture} is not what the painter paints")
        endif()
    endforeach()
endforeach()

# A full disk: every write to /dev/full fails.
file(CREATE_LINK /dev/full "${WORK}/full/Button.bmp" SYMBOLIC)
execute_process(COMMAND "${PAINTER}" "${WORK}/full" RESULT_VARIABLE status OUTPUT_QUIET
                ERROR_VARIABLE error)
if(status EQUAL 0 OR NOT error STREQUAL "${WORK}/full/Button.bmp: cannot write the file\n")
    message(FATAL_ERROR "a failed write was not reported: status ${status}, error '${error}'")
endif()
