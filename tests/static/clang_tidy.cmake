# Runs clang-tidy over the program's own sources (not its tests, benchmarks
# or fuzz targets, nor the code Qt generates), as the build's compile database
# compiles them. A finding in the program's own files fails the test. One
# that clang-tidy places in a header of another project, after following a
# call there, is printed but is that project's to mend: the analyzer follows
# QTimer::singleShot into qtimer.h and takes the slot object that Qt deletes
# itself for a leak.
#
#   cmake -DRUN_CLANG_TIDY=path -DCLANG_TIDY=path -DSOURCE_DIR=path -DBUILD_DIR=path
#         -P clang_tidy.cmake

foreach(_variable RUN_CLANG_TIDY CLANG_TIDY SOURCE_DIR BUILD_DIR)
    if(NOT ${_variable})
        message(FATAL_ERROR "usage: cmake -DRUN_CLANG_TIDY=path -DCLANG_TIDY=path "
            "-DSOURCE_DIR=path -DBUILD_DIR=path -P clang_tidy.cmake")
    endif()
endforeach()

set(_rooms "(app|calc|platform|report|resources|ui)/")
# The source directory as a regular expression (run-clang-tidy's and
# clang-tidy's own), for a path such as kolvart-1.2+dfsg.
string(REGEX REPLACE "([][.*+?^$(){}|\\])" "\\\\\\1" _source_regex "${SOURCE_DIR}")

# run-clang-tidy runs one clang-tidy for each core.
execute_process(
    COMMAND "${RUN_CLANG_TIDY}" -quiet -p "${BUILD_DIR}"
        -clang-tidy-binary "${CLANG_TIDY}"
        "-header-filter=^${_source_regex}/${_rooms}"
        # The compile database is GCC's: Clang does not know all of its warnings.
        -extra-arg=-Wno-unknown-warning-option
        "^${_source_regex}/${_rooms}"
    OUTPUT_VARIABLE _output ERROR_VARIABLE _errors RESULT_VARIABLE _status)

string(ASCII 27 _escape)
string(REGEX REPLACE "${_escape}\\[[0-9;]*m" "" _output "${_output}")
# One finding to a line; a semicolon in it would split CMake's list.
string(REPLACE ";" "," _lines "${_output}")
string(REGEX MATCHALL "[^\n]+: (warning|error): [^\n]+" _findings "${_lines}")
list(REMOVE_DUPLICATES _findings) # a header's, once for each file that includes it
set(_own)
foreach(_finding IN LISTS _findings)
    string(REGEX MATCH "^[^:]+" _file "${_finding}")
    file(RELATIVE_PATH _relative "${SOURCE_DIR}" "${_file}")
    if(_relative MATCHES "^${_rooms}")
        list(APPEND _own "${_finding}")
    else()
        message(STATUS "outside the program's sources, not counted: ${_finding}")
    endif()
endforeach()

list(LENGTH _own _count)
if(_count GREATER 0)
    message("${_output}")
    message(FATAL_ERROR "clang-tidy: ${_count} findings in the program's sources")
endif()
# A file that clang-tidy cannot read, or a header of another project that
# does not compile, is an error of the tool: no finding of the checks.
if(NOT _status EQUAL 0)
    message("${_output}${_errors}")
    message(FATAL_ERROR "run-clang-tidy ended with status ${_status}")
endif()
message(STATUS "clang-tidy: no findings in the program's sources")
