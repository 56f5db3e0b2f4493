# Installs the program into PREFIX and checks that the printing module lies
# where the installed program looks for it: MODULE_DIR_FROM_BIN from bin/.
file(REMOVE_RECURSE "${PREFIX}")
execute_process(
    COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}" --component program
    RESULT_VARIABLE result OUTPUT_QUIET)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed: ${result}")
endif()
set(module "${PREFIX}/bin/${MODULE_DIR_FROM_BIN}/kolvart_printing.so")
if(NOT EXISTS "${PREFIX}/bin/kolvart" OR NOT EXISTS "${module}")
    message(FATAL_ERROR "the program or its module is missing: ${module}")
endif()
message(STATUS "installed module: ${module}")
