# The manual pages and the Debian changelog of Kolvart, made from their
# sources in docs/ and installed compressed (gzip -9n, as Debian wants them).
#
# Included from KolvartInstall.cmake.  Both take the version from
# project(VERSION) (PROJECT_VERSION and KOLVART_DISPLAY_VERSION) and the date
# from KOLVART_RELEASE_DATE (YYYY-MM-DD; for the changelog
# KOLVART_RELEASE_DATE_RFC2822 of KolvartSourceDate.cmake); nothing here
# repeats them.
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
