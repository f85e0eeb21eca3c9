# Same commit, same bytes: the Windows programs carry the commit's time instead of the build's,
# no path of the machine that built them and, in release builds, no debug sections.

# The time every output carries, read when configuring: SOURCE_DATE_EPOCH when set, else the
# time of the commit checked out, else a fixed one (1980-01-01, the earliest a zip holds).
set(BRENWICK_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
if(BRENWICK_SOURCE_DATE_EPOCH STREQUAL "")
    find_package(Git QUIET)
    if(GIT_FOUND)
        execute_process(COMMAND "${GIT_EXECUTABLE}" log -1 --format=%ct
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE BRENWICK_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_result ERROR_QUIET)
        if(NOT git_result EQUAL 0)
            set(BRENWICK_SOURCE_DATE_EPOCH "")
        endif()
        # A commit or checkout adds to HEAD's log: configure again then, to take its time.
        execute_process(COMMAND "${GIT_EXECUTABLE}" rev-parse --absolute-git-dir
            WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
            OUTPUT_VARIABLE git_dir OUTPUT_STRIP_TRAILING_WHITESPACE
            RESULT_VARIABLE git_result ERROR_QUIET)
        if(git_result EQUAL 0 AND EXISTS "${git_dir}/logs/HEAD")
            set_property(DIRECTORY "${PROJECT_SOURCE_DIR}" APPEND PROPERTY
                CMAKE_CONFIGURE_DEPENDS "${git_dir}/logs/HEAD")
        endif()
    endif()
endif()
if(NOT BRENWICK_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(BRENWICK_SOURCE_DATE_EPOCH 315532800)
endif()

if(MINGW)
    # The static C and C++ runtimes bring their debug sections along: a release leaves them out.
    add_link_options($<$<OR:$<CONFIG:Release>,$<CONFIG:MinSizeRel>>:-s>)
    # Source and build folders stay out of debug information and __FILE__.
    add_compile_options(
        "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_SOURCE_DIR}/=>"
        "$<$<COMPILE_LANGUAGE:CXX>:-ffile-prefix-map=${PROJECT_BINARY_DIR}/=>")
    # GNU ld stamps a PE image with SOURCE_DATE_EPOCH when set, else with the time of the link.
    set_property(GLOBAL PROPERTY RULE_LAUNCH_LINK
        "\"${CMAKE_COMMAND}\" -E env SOURCE_DATE_EPOCH=${BRENWICK_SOURCE_DATE_EPOCH}")
endif()
