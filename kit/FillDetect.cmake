# Writes the detection script with a kit's own values: the time its files carry and, for each
# file of its PSIP and Twain folders, the SHA-256 (in capitals, as Get-FileHash writes them).
# Included by KitTimes.cmake; the tests run it alone on kits of their own:
#   cmake -D KIT_DIR=... -D KIT_TIME=... -D DETECT_IN=... -D DETECT_OUT=... -P FillDetect.cmake
# A file the build cannot read (a link, say) is listed with '-': the programs refuse to copy
# it, and the script then never detects.

set(KIT_FILES "")
foreach(folder PSIP Twain)
    file(GLOB names LIST_DIRECTORIES false RELATIVE "${KIT_DIR}/${folder}" "${KIT_DIR}/${folder}/*")
    list(SORT names)
    foreach(name IN LISTS names)
        if(NOT name MATCHES "^[ -~]+$")
            # Windows PowerShell reads a script in the system's code page, PowerShell 7 in
            # UTF-8: such a name would not be the same name to both.
            message(FATAL_ERROR "Kit file ${folder}/${name}: the detection script can name only "
                "printable ASCII names")
        endif()
        set(hash "-")
        if(NOT IS_SYMLINK "${KIT_DIR}/${folder}/${name}")
            file(SHA256 "${KIT_DIR}/${folder}/${name}" hash)
            string(TOUPPER "${hash}" hash)
        endif()
        if(hash STREQUAL "-")
            message(WARNING "Kit file ${folder}/${name} cannot be read: the kit will never be "
                "detected installed")
        endif()
        string(APPEND KIT_FILES "${hash}  ${folder}/${name}\r\n")
    endforeach()
endforeach()
# configure_file writes the script's own line ends as it is told, but leaves those of a value.
string(REGEX REPLACE "\r\n$" "" KIT_FILES "${KIT_FILES}")
configure_file("${DETECT_IN}" "${DETECT_OUT}" @ONLY NEWLINE_STYLE CRLF)
