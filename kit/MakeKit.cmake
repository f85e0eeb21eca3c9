# Lays out the kit folder, lists the SHA-256 of its files in SHA256SUMS and zips it.
# Run by the kit target: cmake -D KIT_ROOT=... -D APP=... -D CLI=... -D SOURCE=... -D ZIP=...
#   -D EPOCH=... [-D PYTHON=...] -P MakeKit.cmake

set(kit "${KIT_ROOT}/Brenwick")
file(REMOVE_RECURSE "${KIT_ROOT}")
file(MAKE_DIRECTORY "${kit}")
file(COPY "${APP}" "${CLI}" "${SOURCE}/README.txt" "${SOURCE}/PSIP" "${SOURCE}/Twain"
    DESTINATION "${kit}")
file(COPY "${SOURCE}/Detect-Brenwick.ps1" "${SOURCE}/Require-Brenwick.ps1" DESTINATION "${kit}")
include("${SOURCE}/KitTimes.cmake")

# The format of sha256sum, so that `sha256sum -c SHA256SUMS` in the kit checks it; paths with
# forward slashes and in byte order, so that every build writes the same file.
file(GLOB_RECURSE files RELATIVE "${kit}" "${kit}/*")
list(SORT files)
set(sums "")
foreach(file IN LISTS files)
    file(SHA256 "${kit}/${file}" hash)
    string(APPEND sums "${hash}  ${file}\n")
endforeach()
file(WRITE "${kit}/SHA256SUMS" "${sums}")
brenwick_stamp_kit()

if(PYTHON)
    execute_process(COMMAND "${PYTHON}" "${SOURCE}/make_zip.py" "${KIT_ROOT}/${ZIP}" "${kit}" "${EPOCH}"
        RESULT_VARIABLE result)
else()
    # CMake's own zip records the files' access times and owners: its bytes vary by build.
    execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${ZIP}" --format=zip Brenwick
        WORKING_DIRECTORY "${KIT_ROOT}" RESULT_VARIABLE result)
endif()
if(NOT result EQUAL 0)
    message(FATAL_ERROR "Zipping the kit failed: ${result}")
endif()
