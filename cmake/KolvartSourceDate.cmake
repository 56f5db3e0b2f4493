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
# Sets KOLVART_RELEASE_DATE_RFC2822 too, the release date as a Debian
# changelog gives it: "Mon, 07 Dec 2026 00:00:00 +0000".
#
# Used by resources/CMakeLists.txt (the time stamps rcc writes into the
# resource data), KolvartInstall.cmake (the dates in the Debian package) and
# KolvartPackageDocs.cmake (the changelog).  The calendar is GNU date's
# (coreutils): -u reads and writes the date in UTC, and -R writes English
# names whatever the locale.

if(NOT KOLVART_RELEASE_DATE MATCHES "^[0-9][0-9][0-9][0-9]-[0-9][0-9]-[0-9][0-9]$")
    message(FATAL_ERROR "KOLVART_RELEASE_DATE must be YYYY-MM-DD, not '${KOLVART_RELEASE_DATE}'")
endif()
find_program(KOLVART_DATE date REQUIRED)
execute_process(COMMAND ${KOLVART_DATE} -u -d "${KOLVART_RELEASE_DATE}" +%s
    OUTPUT_VARIABLE _release_epoch OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
execute_process(COMMAND ${KOLVART_DATE} -u -d "${KOLVART_RELEASE_DATE}" -R
    OUTPUT_VARIABLE KOLVART_RELEASE_DATE_RFC2822 OUTPUT_STRIP_TRAILING_WHITESPACE
    COMMAND_ERROR_IS_FATAL ANY)

if(DEFINED ENV{SOURCE_DATE_EPOCH} AND NOT "$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    if(NOT "$ENV{SOURCE_DATE_EPOCH}" MATCHES "^[0-9]+$")
        message(FATAL_ERROR
            "SOURCE_DATE_EPOCH must be a number of seconds since 1970-01-01 00:00 UTC, "
            "not '$ENV{SOURCE_DATE_EPOCH}'")
    endif()
    set(KOLVART_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
    set(KOLVART_SOURCE_DATE_EPOCH "${_release_epoch}")
endif()
