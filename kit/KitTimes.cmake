# Included by MakeKit.cmake once the kit's files are copied: the time every kit file is to
# carry, and this kit's own values written into its detection script. brenwick_stamp_kit()
# gives the files that time, once the kit is complete.
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

# The detection script compares a PC's files with the kit's: the SHA-256 of the two profiles
# (in capitals, as Get-FileHash writes them) and the template's last-write time.
set(detect "${kit}/Detect-Brenwick.ps1")
set(profile "${kit}/PSIP/FTS_EX_BKBOOK.xml")
set(template "${kit}/Twain/bkbook_multi.fts")
if(EXISTS "${detect}" AND EXISTS "${profile}" AND EXISTS "${template}")
    file(SHA256 "${profile}" KIT_PROFILE_SHA256)
    file(SHA256 "${template}" KIT_TEMPLATE_SHA256)
    string(TOUPPER "${KIT_PROFILE_SHA256}" KIT_PROFILE_SHA256)
    string(TOUPPER "${KIT_TEMPLATE_SHA256}" KIT_TEMPLATE_SHA256)
    if(PYTHON)
        set(KIT_TEMPLATE_TIME "${kit_time}")
    else()
        file(TIMESTAMP "${template}" KIT_TEMPLATE_TIME "%s" UTC)
    endif()
    # configure_file writes the line ends it is told, on every system, as the script has them.
    configure_file("${SOURCE}/Detect-Brenwick.ps1" "${detect}" @ONLY NEWLINE_STYLE CRLF)
endif()
