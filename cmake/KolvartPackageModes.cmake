# Run by cpack (CPACK_PRE_BUILD_SCRIPTS, set in KolvartInstall.cmake) after it
# has installed the package's files into its staging folder and before it
# packs them: gives every folder there rwxr-xr-x, as Debian wants them.
#
# The install makes folders with the modes the umask leaves, and
# CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS cannot widen those: packed under
# umask 077, the package would hold other bytes and would make folders on the
# user's system (/usr/share/metainfo, say) that only root can enter.  The
# files need nothing: the install rules give them their modes, whatever the
# umask.

file(GLOB_RECURSE _entries LIST_DIRECTORIES true "${CPACK_TEMPORARY_DIRECTORY}/*")
set(_folders "")
foreach(_entry IN LISTS _entries)
    if(IS_DIRECTORY "${_entry}" AND NOT IS_SYMLINK "${_entry}")
        list(APPEND _folders "${_entry}")
    endif()
endforeach()
if(_folders)
    file(CHMOD ${_folders} PERMISSIONS
        OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endif()
