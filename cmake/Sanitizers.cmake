# Sanitizer and fuzzing builds. Included before any target is made, so that every library, test,
# program and benchmark is built the same way: a sanitized test linking an unsanitized library
# would miss exactly the faults it is meant to find.
#
#   -DPELLAMAR_SANITIZE="address;undefined"   every target under AddressSanitizer and UBSan
#   -DPELLAMAR_FUZZ=ON                        clang only: the libFuzzer targets in fuzz/

set(PELLAMAR_SANITIZE "" CACHE STRING
    "Sanitizers for every target, a list such as address;undefined (empty: none)")
option(PELLAMAR_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

set(_sanitizers ${PELLAMAR_SANITIZE})
if(PELLAMAR_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
        message(FATAL_ERROR "PELLAMAR_FUZZ needs clang (-DCMAKE_CXX_COMPILER=clang++)")
    endif()
    # A fuzzer without sanitizers finds only crashes; with them, every bad read or overflow.
    if(NOT _sanitizers)
        set(_sanitizers address undefined)
    endif()
endif()

set(PELLAMAR_SANITIZER_TEST_ENV "")
if(_sanitizers)
    # GCC leaves float-to-integer overflow out of "undefined"; in a numeric program a value
    # too large for its int is a real fault, so it is checked too (clang has it in "undefined").
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND "undefined" IN_LIST _sanitizers)
        list(APPEND _sanitizers float-cast-overflow)
    endif()
    list(JOIN _sanitizers "," _list)
    set(_flags -fsanitize=${_list} -fno-omit-frame-pointer -fno-sanitize-recover=all)
    add_link_options(${_flags})
    if(PELLAMAR_FUZZ)
        # Coverage for the fuzzer in every library; the fuzzer's own main comes only with the
        # fuzz executable's link (-fsanitize=fuzzer there).
        list(APPEND _flags -fsanitize=fuzzer-no-link)
    endif()
    add_compile_options(${_flags})
    message(STATUS "Sanitizers: ${_list}")

    # Stop at the first report with a stack; leaks inside the system's libraries that we
    # cannot free are listed in lsan.supp, ours never are.
    set(PELLAMAR_SANITIZER_TEST_ENV
        "ASAN_OPTIONS=set:halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:print_summary=1"
        "UBSAN_OPTIONS=set:halt_on_error=1:print_stacktrace=1"
        # QtTest stops a test function after 5 minutes, too soon for the slowest ones here;
        # CTest's own timeout still applies.
        "QTEST_FUNCTION_TIMEOUT=set:900000"
        "LSAN_OPTIONS=set:suppressions=${PROJECT_SOURCE_DIR}/cmake/lsan.supp:print_suppressions=0")
endif()
