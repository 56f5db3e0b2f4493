# Run in place of a test whose tool was not found when CMake configured.
message(FATAL_ERROR "the tool of this test was not found; install the Debian "
    "package '${PACKAGE}' and configure again")
