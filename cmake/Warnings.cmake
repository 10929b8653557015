# Common warning and sanitizer flags, applied to every target of the project through
# kavrin_setup_target().
add_library(kavrin_options INTERFACE)
target_compile_options(kavrin_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow
    -Wnon-virtual-dtor -Wcast-align -Woverloaded-virtual -Wnull-dereference)
# The recorder module is C99 for targets; compiled for the host it gets the C warnings.
add_library(kavrin_c_options INTERFACE)
target_compile_options(kavrin_c_options INTERFACE -Wall -Wextra -Wpedantic -Wshadow -Wcast-align)
if(KAVRIN_WERROR)
    target_compile_options(kavrin_options INTERFACE -Werror)
    target_compile_options(kavrin_c_options INTERFACE -Werror)
endif()
if(KAVRIN_SANITIZE)
    foreach(options kavrin_options kavrin_c_options)
        target_compile_options(${options} INTERFACE -fsanitize=address,undefined
            -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
        target_link_options(${options} INTERFACE -fsanitize=address,undefined)
    endforeach()
endif()

if(KAVRIN_TSAN)
    foreach(options kavrin_options kavrin_c_options)
        target_compile_options(${options} INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
        target_link_options(${options} INTERFACE -fsanitize=thread)
    endforeach()
endif()

if(KAVRIN_FUZZ)
    # Every library is instrumented for coverage; the fuzzers themselves link libFuzzer.
    foreach(options kavrin_options kavrin_c_options)
        target_compile_options(${options} INTERFACE -fsanitize=fuzzer-no-link,address,undefined)
        target_link_options(${options} INTERFACE -fsanitize=address,undefined)
    endforeach()
endif()

function(kavrin_setup_target target)
    target_link_libraries(${target} PRIVATE kavrin_options)
endfunction()
