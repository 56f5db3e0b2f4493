# Installs the "desktop" component of the build in BUILD_DIR into TREE/usr,
# after removing what an earlier run left there.
file(REMOVE_RECURSE "${TREE}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --component desktop
        --prefix "${TREE}/usr"
    RESULT_VARIABLE result)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "installing the desktop files failed: ${result}")
endif()
