# The built program started where it finds no display: one plain line on
# standard error and exit status 1, where Qt by itself would abort, and none
# of Qt's warnings; for a WAYLAND_DISPLAY that names no compositor as for an
# unreachable DISPLAY.
# And where a platform is chosen that needs no display, the program starts.
#
#   cmake -DPROGRAM=path/to/kolvart -DQTPATHS=path/to/qtpaths -P no_display.cmake

if(NOT PROGRAM OR NOT QTPATHS)
    message(FATAL_ERROR "usage: cmake -DPROGRAM=path/to/kolvart -DQTPATHS=path/to/qtpaths "
        "-P no_display.cmake")
endif()

# timeout (coreutils) ends the program still running after two seconds, and
# says so with status 124: execute_process's own TIMEOUT leaves the program
# running from CMake 3.31 on.
find_program(_timeout_tool timeout REQUIRED)
find_program(_env_tool env REQUIRED)
set(_unset -u DISPLAY -u WAYLAND_DISPLAY -u WAYLAND_SOCKET -u XDG_RUNTIME_DIR -u QT_QPA_PLATFORM)
# No server listens on this display number.
set(_dead_display ":4093")
# A runtime directory where no compositor listens; what stands where a
# compositor's socket would is a plain file.
set(_runtime "${CMAKE_CURRENT_BINARY_DIR}/no_display_runtime")
file(REMOVE_RECURSE "${_runtime}")
file(MAKE_DIRECTORY "${_runtime}")
file(WRITE "${_runtime}/wayland-file" "")
# One character more than a socket address holds (107 and its NUL).
string(REPEAT "x" 108 _long)
set(_long "/${_long}")
string(SUBSTRING "${_long}" 0 108 _long)
set(_no_compositor "kolvart: geen beeldscherm: WAYLAND_DISPLAY")
# Where libwayland cannot even try the socket, it says why itself, first.
# Only Qt's Wayland platform plugin brings libwayland in: up to Qt 6.8 it is a
# package of its own, which a build machine may lack. There the program's
# own line is all that comes, and all that is checked; where the run demands
# every tool, the plugin has to be there.
set(_libwayland "error:")
# qtpaths tells where the Qt that the program loads looks for its plugins.
execute_process(COMMAND "${QTPATHS}" --plugin-dir OUTPUT_VARIABLE _plugins
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
file(GLOB _wayland_plugin "${_plugins}/platforms/*qwayland*")
if(NOT _wayland_plugin)
    set(_no_plugin "Qt's Wayland platform plugin is not in ${_plugins}/platforms (package qt6-wayland)")
    if("$ENV{KOLVART_TEST_REQUIRE_ALL}" STREQUAL "1")
        message(FATAL_ERROR "${_no_plugin}")
    endif()
endif()

# Each case: name | the environment, comma-separated, after everything
# display-related is unset | the exit status, or "running" for a program
# that still runs after two seconds | the whole of standard error (- for
# a running program).
set(_cases
    "nothing set|                                   |1|kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY zijn niet gezet\n"
    "empty variables|DISPLAY=,WAYLAND_DISPLAY=,QT_QPA_PLATFORM=,XDG_RUNTIME_DIR=${_runtime}|1|kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY zijn niet gezet\n"
    "xcb chosen, no DISPLAY|QT_QPA_PLATFORM=xcb,WAYLAND_DISPLAY=wayland-0|1|kolvart: geen beeldscherm: DISPLAY is niet gezet\n"
    "unreachable X server|DISPLAY=${_dead_display}|1|kolvart: geen beeldscherm: DISPLAY=${_dead_display} is niet bereikbaar\n"
    "unreachable X server and screen|DISPLAY=unix${_dead_display}.1|1|kolvart: geen beeldscherm: DISPLAY=unix${_dead_display}.1 is niet bereikbaar\n"
    "no compositor in the runtime directory|WAYLAND_DISPLAY=wayland-none,XDG_RUNTIME_DIR=${_runtime}|1|${_no_compositor}=wayland-none is niet bereikbaar\n"
    "a file in place of the socket|WAYLAND_DISPLAY=wayland-file,XDG_RUNTIME_DIR=${_runtime}|1|${_no_compositor}=wayland-file is niet bereikbaar\n"
    "no compositor at an absolute path|WAYLAND_DISPLAY=${_runtime}/wayland-file|1|${_no_compositor}=${_runtime}/wayland-file is niet bereikbaar\n"
    "a name without runtime directory|WAYLAND_DISPLAY=wayland-0|1|${_libwayland} XDG_RUNTIME_DIR is invalid or not set in the environment.\n${_no_compositor}=wayland-0 is niet bereikbaar\n"
    "a path too long for a socket|WAYLAND_DISPLAY=${_long}|1|${_libwayland} socket path \"${_long}\" plus null terminator exceeds 108 bytes\n${_no_compositor}=${_long} is niet bereikbaar\n"
    "wayland chosen, WAYLAND_DISPLAY unset|QT_QPA_PLATFORM=wayland,XDG_RUNTIME_DIR=${_runtime}|1|${_no_compositor}=wayland-0 is niet bereikbaar\n"
    "wayland chosen, no compositor|QT_QPA_PLATFORM=wayland,WAYLAND_DISPLAY=wayland-none,XDG_RUNTIME_DIR=${_runtime},DISPLAY=${_dead_display}|1|${_no_compositor}=wayland-none is niet bereikbaar\n"
    "no compositor, unreachable X server|WAYLAND_DISPLAY=wayland-none,XDG_RUNTIME_DIR=${_runtime},DISPLAY=${_dead_display}|1|${_no_compositor}=wayland-none is niet bereikbaar, DISPLAY=${_dead_display} evenmin\n"
    "offscreen chosen|QT_QPA_PLATFORM=offscreen|running|-"
)

set(_failed 0)
foreach(_case IN LISTS _cases)
    string(REPLACE "|" ";" _fields "${_case}")
    list(GET _fields 0 _name)
    list(GET _fields 1 _env)
    list(GET _fields 2 _status)
    list(GET _fields 3 _stderr)
    string(STRIP "${_env}" _env)
    string(REPLACE "," ";" _env "${_env}")
    string(REPLACE "\\n" "\n" _stderr "${_stderr}")
    if(NOT _wayland_plugin AND _stderr MATCHES "^${_libwayland} [^\n]*\n")
        string(REGEX REPLACE "^${_libwayland} [^\n]*\n" "" _stderr "${_stderr}")
        message(STATUS "${_name}: the program's line alone checked; ${_no_plugin}")
    endif()
    execute_process(
        COMMAND ${_timeout_tool} -k 1 2 ${_env_tool} ${_unset} ${_env} "${PROGRAM}"
        RESULT_VARIABLE _result
        OUTPUT_VARIABLE _out
        ERROR_VARIABLE _err)
    if(_status STREQUAL "running")
        set(_ok FALSE)
        if(_result EQUAL 124)
            set(_ok TRUE)
        endif()
    else()
        set(_ok FALSE)
        if("${_result}" STREQUAL "${_status}" AND "${_err}" STREQUAL "${_stderr}")
            set(_ok TRUE)
        endif()
    endif()
    if(_ok)
        message(STATUS "${_name}: as expected")
    else()
        message(SEND_ERROR "${_name}: status '${_result}', expected '${_status}'; "
            "standard error:\n${_err}\nexpected:\n${_stderr}")
        set(_failed 1)
    endif()
endforeach()
