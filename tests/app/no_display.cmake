# The built program started where it finds no display: one plain line on
# standard error and exit status 1, where Qt by itself would abort. And where
# a platform is chosen that needs no display, the program starts.
#
#   cmake -DPROGRAM=path/to/kolvart -P no_display.cmake

if(NOT PROGRAM)
    message(FATAL_ERROR "usage: cmake -DPROGRAM=path/to/kolvart -P no_display.cmake")
endif()

# env (coreutils) runs the program in its own place, so that a timeout ends
# the program itself.
find_program(_env_tool env REQUIRED)
set(_unset -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
# No server listens on this display number.
set(_dead_display ":4093")

# Each case: name | the environment, comma-separated, after everything
# display-related is unset | the exit status, or "running" for a program
# that still runs after two seconds | the whole of standard error (- for
# a running program).
set(_cases
    "nothing set|                                   |1|kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY zijn niet gezet\n"
    "empty variables|DISPLAY=,WAYLAND_DISPLAY=,QT_QPA_PLATFORM=|1|kolvart: geen beeldscherm: DISPLAY en WAYLAND_DISPLAY zijn niet gezet\n"
    "xcb chosen, no DISPLAY|QT_QPA_PLATFORM=xcb,WAYLAND_DISPLAY=wayland-0|1|kolvart: geen beeldscherm: DISPLAY is niet gezet\n"
    "unreachable X server|DISPLAY=${_dead_display}|1|kolvart: geen beeldscherm: DISPLAY=${_dead_display} is niet bereikbaar\n"
    "unreachable X server and screen|DISPLAY=unix${_dead_display}.1|1|kolvart: geen beeldscherm: DISPLAY=unix${_dead_display}.1 is niet bereikbaar\n"
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
    execute_process(
        COMMAND ${_env_tool} ${_unset} ${_env} "${PROGRAM}"
        RESULT_VARIABLE _result
        OUTPUT_VARIABLE _out
        ERROR_VARIABLE _err
        TIMEOUT 2)
    if(_status STREQUAL "running")
        set(_ok FALSE)
        if(_result MATCHES "timeout")
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
