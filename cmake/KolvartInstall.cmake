# Install rules and the Debian package of Kolvart.
#
# Included from the top-level CMakeLists.txt after the kolvart executable and
# the kolvart_resources target (resources/) exist.  The package version is
# project(VERSION); nothing here repeats it.
#
#   cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
#         -DCMAKE_INSTALL_PREFIX=/usr -DKOLVART_BUILD_TESTS=OFF
#   cmake --build build/release
#   (cd build/release && umask 022 && cpack -G DEB)   # kolvart_<version>_<arch>.deb

include(GNUInstallDirs)

get_target_property(_kolvart_desktop_file kolvart_resources KOLVART_DESKTOP_FILE)
get_target_property(_kolvart_metainfo_file kolvart_resources KOLVART_METAINFO_FILE)
get_target_property(_kolvart_icon_dir kolvart_resources KOLVART_ICON_DIR)
get_target_property(_kolvart_icon_sizes kolvart_resources KOLVART_ICON_SIZES)

# Component "program" is the executable, "desktop" the files that make it
# show up in menus and software centres.  The package holds both; the tests
# install "desktop" alone to check the installed tree without a build.
install(TARGETS kolvart
    RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR}
    COMPONENT program)

install(FILES ${_kolvart_desktop_file}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
    COMPONENT desktop)
install(FILES ${_kolvart_metainfo_file}
    DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
    COMPONENT desktop)
foreach(_size IN LISTS _kolvart_icon_sizes)
    install(FILES ${_kolvart_icon_dir}/kolvart-${_size}.png
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${_size}x${_size}/apps
        RENAME ${KOLVART_APP_ID}.png
        COMPONENT desktop)
endforeach()

if(EXISTS ${PROJECT_SOURCE_DIR}/LICENSE)
    install(FILES ${PROJECT_SOURCE_DIR}/LICENSE
        DESTINATION ${CMAKE_INSTALL_DOCDIR}
        RENAME copyright
        COMPONENT program)
endif()

# A stripped install (cmake --install --strip, and CPack with
# CPACK_STRIP_FILES) also drops the compilers' version notes in .comment, as
# Debian's dh_strip does; they are of no use in an installed program.
if(CMAKE_OBJCOPY)
    install(CODE "
        if(CMAKE_INSTALL_DO_STRIP)
            execute_process(COMMAND \"${CMAKE_OBJCOPY}\" --remove-section=.comment
                \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/kolvart\"
                COMMAND_ERROR_IS_FATAL ANY)
        endif()"
        COMPONENT program)
endif()

# Debian package --------------------------------------------------------------

set(KOLVART_PACKAGE_MAINTAINER "The Kolvart developers <kolvart@example.invalid>"
    CACHE STRING "Maintainer field of the Debian package: name <e-mail>")

set(CPACK_PACKAGE_NAME "kolvart")
set(CPACK_PACKAGE_VENDOR "The Kolvart developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_CONTACT "${KOLVART_PACKAGE_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for single-layer air-core coils")
set(CPACK_PACKAGE_DESCRIPTION
"Kolvart (\"Berekenen van luchtspoeltjes\") designs single-layer, close-wound
air-core coils. From the wanted coil diameter, the wire thickness and the
wanted self-inductance it finds the coil whose winding length matches its
coil length and shows the coil diameter, the coil length and the number of
turns. Results can be printed, seven to a sheet. The program speaks Dutch;
its version ${KOLVART_DISPLAY_VERSION} is package version ${PROJECT_VERSION}.")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_STRIP_FILES ON)

set(CPACK_GENERATOR "DEB")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KOLVART_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "electronics")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
# dpkg-shlibdeps (package dpkg-dev) works out the Qt and C++ runtime packages.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The labels ask for a face of narrow proportions; Liberation Sans is the one
# whose widths the layout is checked against.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-liberation2")
# Qt's own texts (print dialog, context menu, message box buttons) in the
# desktop's language. Without them those texts stay English and nothing else
# changes, so the package recommends them rather than depending on them.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
# On a Wayland desktop: Qt's Wayland platform (without it Qt falls back to
# X11 through XWayland), and libcanberra, which the program opens to play the
# bell there, with its sound-server backend (dpkg-shlibdeps cannot see a
# library opened at run time).
string(APPEND CPACK_DEBIAN_PACKAGE_RECOMMENDS ", qt6-wayland, libcanberra0, libcanberra-pulse")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)

# The window needs Qt's platform plugin for X11 (xcb), which libqt6gui6 only
# recommends: without it the program cannot start.
string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", qt6-qpa-plugins")
# CPack adds maintainer scripts that call ldconfig, which lintian rejects
# (dpkg's triggers run ldconfig), for any shared object in /usr/lib or in a
# directory right below it, and no setting turns that off: the package must
# hold none there.  The package test fails on any maintainer script.

# The manual pages and the changelog.
include(KolvartPackageDocs)

set(CPACK_SOURCE_GENERATOR "TGZ")
set(CPACK_SOURCE_IGNORE_FILES "/\\.git/" "/build/" "/build-[^/]*/" "/out/"
    "/\\.cache/" "/__pycache__/" "\\.user$" "/CMakeUserPresets\\.json$")

# The same sources give the same package, byte for byte.  With
# SOURCE_DATE_EPOCH in its environment CPack dates every member, of the ar
# archive and of both tar archives, with it and leaves the time out of the
# gzip headers; without it, it stamps the time of packing.  cpack reads the
# file below when it starts (CPACK_PROJECT_CONFIG_FILE), and it sets
# SOURCE_DATE_EPOCH to the project's date (KolvartSourceDate.cmake) unless the
# environment brings one.  The modes of the three ar members are those of
# the files cpack writes, which follow its umask and no setting changes:
# ./dev.sh deb and the package test pack under umask 022.  The folders in the
# package get their modes from KolvartPackageModes.cmake, which cpack runs
# before it packs (CPACK_PRE_BUILD_SCRIPTS).
set(_kolvart_cpack_options "${PROJECT_BINARY_DIR}/KolvartCPackOptions.cmake")
file(CONFIGURE OUTPUT "${_kolvart_cpack_options}" @ONLY CONTENT [[
# Written by cmake/KolvartInstall.cmake: the date of the package's members.
if("$ENV{SOURCE_DATE_EPOCH}" STREQUAL "")
    set(ENV{SOURCE_DATE_EPOCH} "@KOLVART_SOURCE_DATE_EPOCH@")
endif()
]])
set(CPACK_PROJECT_CONFIG_FILE "${_kolvart_cpack_options}")
set(CPACK_PRE_BUILD_SCRIPTS "${CMAKE_CURRENT_LIST_DIR}/KolvartPackageModes.cmake")

# Write the values above into the CPack configuration exactly as they are
# (quotes, semicolons and backslashes included).
set(CPACK_VERBATIM_VARIABLES ON)
include(CPack)
