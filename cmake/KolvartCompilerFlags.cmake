# Compiler settings shared by every target of the project.
#
# The calculation must give the same digits on every machine, so every
# expression is evaluated in plain IEEE double: no fused multiply-add
# contraction, no fast-math, and SSE2 rather than x87 on 32-bit x86.

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
