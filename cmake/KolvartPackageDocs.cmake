# The manual pages and the Debian changelog of Kolvart, made from their
# sources in docs/ and installed compressed (gzip -9n, as Debian wants them).
#
# Included from KolvartInstall.cmake.  Both take the version from
# project(VERSION) (PROJECT_VERSION and KOLVART_DISPLAY_VERSION) and the date
# from KOLVART_RELEASE_DATE (YYYY-MM-DD); nothing here repeats them.
#
#   docs/kolvart.1.in     manual page kolvart(1), English -> share/man/man1
#   docs/kolvart.nl.1.in  the same in Dutch               -> share/man/nl/man1
#   docs/changelog.in     Debian changelog, newest first  -> share/doc/kolvart
#
# A new release gets a new entry at the top of docs/changelog.in; only the
# top entry takes its version and date from CMake.

find_program(KOLVART_GZIP gzip REQUIRED)

# kolvart_compressed(<source> <name> <output variable>): configures <source>
# into <name> in the build tree and compresses it to <name>.gz; sets the
# output variable to the path of the .gz file.  -n leaves the name and the
# time stamp out of the gzip header, so the same sources give the same bytes.
function(kolvart_compressed source name out_var)
    set(plain "${CMAKE_CURRENT_BINARY_DIR}/docs/${name}")
    set(staged "${CMAKE_CURRENT_BINARY_DIR}/docs/gz/${name}")
    configure_file("${source}" "${plain}" @ONLY)
    add_custom_command(OUTPUT "${staged}.gz"
        COMMAND ${CMAKE_COMMAND} -E copy "${plain}" "${staged}"
        COMMAND ${KOLVART_GZIP} -9nf "${staged}"
        DEPENDS "${plain}"
        COMMENT "Compressing ${name}"
        VERBATIM)
    set(${out_var} "${staged}.gz" PARENT_SCOPE)
endfunction()

# The release date as a changelog wants it: "Mon, 07 Dec 2026 00:00:00 +0000".
if(NOT KOLVART_RELEASE_DATE MATCHES "^([0-9][0-9][0-9][0-9])-([0-9][0-9])-([0-9][0-9])$")
    message(FATAL_ERROR "KOLVART_RELEASE_DATE must be YYYY-MM-DD, not '${KOLVART_RELEASE_DATE}'")
endif()
set(_year ${CMAKE_MATCH_1})
math(EXPR _month "1${CMAKE_MATCH_2} - 100")
math(EXPR _day "1${CMAKE_MATCH_3} - 100")
# Day of the week (0 = Sunday) by Sakamoto's method.
set(_month_offsets 0 3 2 5 0 3 5 1 4 6 2 4)
math(EXPR _index "${_month} - 1")
list(GET _month_offsets ${_index} _offset)
set(_y ${_year})
if(_month LESS 3)
    math(EXPR _y "${_y} - 1")
endif()
math(EXPR _weekday "(${_y} + ${_y} / 4 - ${_y} / 100 + ${_y} / 400 + ${_offset} + ${_day}) % 7")
set(_weekdays Sun Mon Tue Wed Thu Fri Sat)
set(_months Jan Feb Mar Apr May Jun Jul Aug Sep Oct Nov Dec)
list(GET _weekdays ${_weekday} _weekday_name)
list(GET _months ${_index} _month_name)
set(KOLVART_RELEASE_DATE_RFC2822
    "${_weekday_name}, ${CMAKE_MATCH_3} ${_month_name} ${_year} 00:00:00 +0000")

kolvart_compressed("${PROJECT_SOURCE_DIR}/docs/kolvart.1.in" kolvart.1 _kolvart_man_en)
kolvart_compressed("${PROJECT_SOURCE_DIR}/docs/kolvart.nl.1.in" kolvart.nl.1 _kolvart_man_nl)
kolvart_compressed("${PROJECT_SOURCE_DIR}/docs/changelog.in" changelog _kolvart_changelog)
add_custom_target(kolvart_package_docs ALL
    DEPENDS "${_kolvart_man_en}" "${_kolvart_man_nl}" "${_kolvart_changelog}")

install(FILES "${_kolvart_man_en}"
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
    RENAME kolvart.1.gz
    COMPONENT program)
install(FILES "${_kolvart_man_nl}"
    DESTINATION ${CMAKE_INSTALL_MANDIR}/nl/man1
    RENAME kolvart.1.gz
    COMPONENT program)
install(FILES "${_kolvart_changelog}"
    DESTINATION ${CMAKE_INSTALL_DOCDIR}
    COMPONENT program)
