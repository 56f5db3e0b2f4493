# Compiler settings shared by every target of the project.
#
# The calculation must give the same digits on every machine, so every
# expression is evaluated in plain IEEE double: no fused multiply-add
# contraction, no fast-math, and SSE2 rather than x87 on 32-bit x86.
#
# Every target is also built with the hardening Debian gives its packages
# (dpkg-buildflags): a position-independent executable, read-only relocations
# bound at start-up (full RELRO), the strong stack protector, the checked
# variants of the C library's string and memory functions (_FORTIFY_SOURCE=2)
# and format strings checked at compile time.  These are set here for the
# whole directory tree, so that a plain
#     cmake -S . -B build -DCMAKE_BUILD_TYPE=Release
# gets them, and Qt's generated sources (moc, rcc) get them as well.
#
# _FORTIFY_SOURCE needs optimisation, so only the optimised configurations
# (Release, RelWithDebInfo, MinSizeRel) define it; a Debug build would only
# get a warning for every file.  Builds with sanitizers in CMAKE_CXX_FLAGS
# leave it out, because AddressSanitizer checks those functions itself and
# the checked variants would hide faults from it; so do targets with the
# property KOLVART_SANITIZED set, such as the fuzz targets
# (fuzz/CMakeLists.txt).

option(KOLVART_HARDENING
    "Build with Debian's hardening: PIE, full RELRO, stack protector, _FORTIFY_SOURCE=2, format checks"
    ON)

if(KOLVART_HARDENING AND CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    set(CMAKE_POSITION_INDEPENDENT_CODE ON)
    include(CheckPIESupported)
    check_pie_supported(LANGUAGES CXX)
    add_compile_options(-fstack-protector-strong -Wformat -Werror=format-security)
    add_link_options(LINKER:-z,relro,-z,now)
    if(NOT CMAKE_CXX_FLAGS MATCHES "-fsanitize=")
        # Undefined first, so that a value the compiler or CMAKE_CXX_FLAGS
        # already brings is replaced rather than redefined (a warning).
        add_compile_options("$<$<AND:$<CONFIG:Release,RelWithDebInfo,MinSizeRel>,$<NOT:$<BOOL:$<TARGET_PROPERTY:KOLVART_SANITIZED>>>>:-U_FORTIFY_SOURCE;-D_FORTIFY_SOURCE=2>")
    endif()
endif()

function(kolvart_set_compiler_flags target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE
            -Wall -Wextra -Wpedantic -Wold-style-cast -Wnon-virtual-dtor
            -ffp-contract=off -fno-fast-math)
        if(CMAKE_SYSTEM_PROCESSOR MATCHES "^(i.86|x86)$")
            target_compile_options(${target} PRIVATE -msse2 -mfpmath=sse)
        endif()
        if(KOLVART_WERROR)
            target_compile_options(${target} PRIVATE -Werror)
        endif()
    endif()
endfunction()
