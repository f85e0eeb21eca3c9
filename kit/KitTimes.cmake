# Included by MakeKit.cmake once the kit's files are copied: the time every kit file is to
# carry, and this kit's own values written into its detection script (FillDetect.cmake).
# brenwick_stamp_kit() gives the files that time, once the kit is complete.
#
# The time is the commit's, as the zip's entries carry it: never before 1980 and in whole
# two-second steps, so that the folder and the zip unzipped on a clock that runs on UTC agree.
# A kit built from a newer commit so holds newer files than the PCs it updates (the
# installation keeps a file of the settings folder that is newer than the kit's). Without
# Python, which makes the zip too, the files keep the times of the checkout.

set(kit_time "${EPOCH}")
if(kit_time LESS 315532800)
    set(kit_time 315532800)
endif()
math(EXPR kit_time "${kit_time} - ${kit_time} % 2")

function(brenwick_stamp_kit)
    if(PYTHON)
        execute_process(COMMAND "${PYTHON}" "${SOURCE}/set_times.py" "${kit}" "${kit_time}"
            RESULT_VARIABLE result)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Giving the kit's files the commit's time failed: ${result}")
        endif()
    endif()
endfunction()

# The detection script compares a PC's files with the kit's: every file's SHA-256 and the time
# they all carry.
set(detect "${kit}/Detect-Brenwick.ps1")
if(EXISTS "${detect}")
    if(PYTHON OR NOT EXISTS "${kit}/Twain/bkbook_multi.fts")
        set(KIT_TIME "${kit_time}")
    else()
        file(TIMESTAMP "${kit}/Twain/bkbook_multi.fts" KIT_TIME "%s" UTC)
    endif()
    set(KIT_DIR "${kit}")
    set(DETECT_IN "${SOURCE}/Detect-Brenwick.ps1")
    set(DETECT_OUT "${detect}")
    include("${SOURCE}/FillDetect.cmake")
endif()
