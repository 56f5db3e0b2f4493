# Run in place of a test whose tool was not found when CMake configured: the
# test is skipped, or fails where the run demands every tool
# (KOLVART_TEST_REQUIRE_ALL=1, as ./dev.sh sets).
set(_reason "the tool of this test was not found; install the Debian package '${PACKAGE}' and configure again")
if("$ENV{KOLVART_TEST_REQUIRE_ALL}" STREQUAL "1")
    message(FATAL_ERROR "${_reason}")
endif()
message("skipped: ${_reason}")
