# Lays out the kit folder, signs its programs when given a certificate, lists the SHA-256 of its
# files in SHA256SUMS and zips it.
# Run by the kit target: cmake -D KIT_ROOT=... -D APP=... -D CLI=... -D SOURCE=... -D ZIP=...
#   -D EPOCH=... [-D PYTHON=...] [-D OSSLSIGNCODE=...] [-D SIGN_PFX=... -D SIGN_PASSWORD=...]
#   -P MakeKit.cmake
# SIGN_PFX and SIGN_PASSWORD fall back to the environment's BRENWICK_SIGN_PFX and
# BRENWICK_SIGN_PASSWORD.

set(kit "${KIT_ROOT}/Brenwick")
file(REMOVE_RECURSE "${KIT_ROOT}")
file(MAKE_DIRECTORY "${kit}")

if(NOT SIGN_PFX)
    set(SIGN_PFX "$ENV{BRENWICK_SIGN_PFX}")
endif()
if(NOT SIGN_PASSWORD)
    set(SIGN_PASSWORD "$ENV{BRENWICK_SIGN_PASSWORD}")
endif()

# Signs `in` into `out` with the certificate. The commit's time as the signing time and no
# time stamp from a server: the signature is then the same bytes on every build of the commit
# with the same certificate (for an RSA key; an ECDSA signature differs each time).
function(brenwick_sign in out)
    get_filename_component(name "${in}" NAME)
    execute_process(COMMAND "${OSSLSIGNCODE}" sign -pkcs12 "${SIGN_PFX}"
            -pass "${SIGN_PASSWORD}" -h sha256 -time "${EPOCH}" -in "${in}" -out "${out}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "Signing ${name} failed:\n${output}")
    endif()
endfunction()

set(programs "${APP}" "${CLI}")
if(SIGN_PFX)
    if(NOT OSSLSIGNCODE)
        message(FATAL_ERROR "Signing the kit needs osslsigncode, which CMake did not find: "
            "install it, or set BRENWICK_OSSLSIGNCODE to it. An MSVC build is signed with "
            "signtool instead (README, Signing).")
    endif()
    if(NOT EXISTS "${SIGN_PFX}")
        message(FATAL_ERROR "No certificate file at ${SIGN_PFX} (BRENWICK_SIGN_PFX)")
    endif()
    # Signed beside the kit, not in it: osslsigncode writes only new files.
    set(signing "${KIT_ROOT}/signing")
    file(MAKE_DIRECTORY "${signing}")
    set(programs "")
    foreach(program "${APP}" "${CLI}")
        get_filename_component(name "${program}" NAME)
        set(signed "${signing}/${name}")
        brenwick_sign("${program}" "${signed}")
        # A signed program must be the unsigned one plus its signature, so that anyone can
        # check it against an unsigned build of the same commit. Removal recomputes the PE
        # checksum and keeps the padding signing adds to a length that is no multiple of 8:
        # GNU ld writes that checksum and file-aligned sections, other linkers may not.
        execute_process(COMMAND "${OSSLSIGNCODE}" remove-signature -in "${signed}"
                -out "${signed}.removed"
            RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "Removing the signature of ${name} again failed:\n${output}")
        endif()
        file(SHA256 "${program}" built)
        file(SHA256 "${signed}.removed" removed)
        if(NOT built STREQUAL removed)
            message(FATAL_ERROR "${name} without its signature is not ${program}: the program's "
                "PE checksum is wrong or its length no multiple of 8")
        endif()
        list(APPEND programs "${signed}")
    endforeach()
endif()

# osslsigncode creates its files without the execute permission the linker gives.
file(COPY ${programs} DESTINATION "${kit}" FILE_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(COPY "${SOURCE}/README.txt" "${SOURCE}/PSIP" "${SOURCE}/Twain" DESTINATION "${kit}")
file(COPY "${SOURCE}/Detect-Brenwick.ps1" "${SOURCE}/Require-Brenwick.ps1" DESTINATION "${kit}")
include("${SOURCE}/KitTimes.cmake")
# The scripts signed as filled in, so that WDAC and AppLocker run them in full language, and
# an AllSigned or RemoteSigned policy at all.
if(SIGN_PFX)
    foreach(script Detect-Brenwick.ps1 Require-Brenwick.ps1)
        brenwick_sign("${kit}/${script}" "${signing}/${script}")
        file(COPY_FILE "${signing}/${script}" "${kit}/${script}")
    endforeach()
endif()
file(REMOVE_RECURSE "${KIT_ROOT}/signing")

# Made after signing, so that it lists the programs as shipped. The format of sha256sum, so
# that `sha256sum -c SHA256SUMS` in the kit checks it; paths with forward slashes and in byte
# order, so that every build writes the same file.
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
