# The date that build outputs carry wherever a tool would otherwise write the
# time of the build or a file's modification time, so that the same sources
# give the same bytes in any folder, at any time and in any time zone.
#
# Included from the top-level CMakeLists.txt after KOLVART_RELEASE_DATE.
# Sets KOLVART_SOURCE_DATE_EPOCH, in seconds since 1970-01-01 00:00 UTC:
#   - the environment's SOURCE_DATE_EPOCH when it is set, as Debian's
#     package tools and other distributions set it for a reproducible build;
#   - otherwise KOLVART_RELEASE_DATE at midnight UTC, the date the manual
#     pages and the changelog already give.  Not the clock, and not the
#     sources' modification times, which a fresh checkout sets to the time
#     of the checkout.
# The environment is read when CMake configures; another SOURCE_DATE_EPOCH
# takes effect when the build tree is configured again.
#
# Used by resources/CMakeLists.txt (the time stamps rcc writes into the
# resource data) and KolvartInstall.cmake (the dates in the Debian package).

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
        message(FATAL_ERROR
            "SOURCE_DATE_EPOCH must be a number of seconds since 1970-01-01 00:00 UTC, "
            "not '$ENV{SOURCE_DATE_EPOCH}'")
    endif()
    set(KOLVART_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
    if(NOT KOLVART_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
        message(FATAL_ERROR "KOLVART_RELEASE_DATE must be YYYY-MM-DD, not '${KOLVART_RELEASE_DATE}'")
    endif()
    # Days since 1970-01-01 of a date in the proleptic Gregorian calendar:
    # the year is counted from March, so that the leap day falls at its end,
    # in cycles of 400 years (146097 days).  Only dates from 1970 on occur,
    # so every division below is of non-negative numbers.
    math(EXPR _year "${CMAKE_MATCH_1}")
    math(EXPR _month "1${CMAKE_MATCH_2} - 100")
    math(EXPR _day "1${CMAKE_MATCH_3} - 100")
    if(_month LESS_EQUAL 2)
        math(EXPR _year "${_year} - 1")
    endif()
    math(EXPR _era "${_year} / 400")
    math(EXPR _year_of_era "${_year} - ${_era} * 400")
    math(EXPR _day_of_year "(153 * ((${_month} + 9) % 12) + 2) / 5 + ${_day} - 1")
    math(EXPR _day_of_era
        "${_year_of_era} * 365 + ${_year_of_era} / 4 - ${_year_of_era} / 100 + ${_day_of_year}")
    math(EXPR KOLVART_SOURCE_DATE_EPOCH
        "(${_era} * 146097 + ${_day_of_era} - 719468) * 86400")
endif()
