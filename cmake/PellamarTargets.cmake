# Common compile settings for every target of the project.
function(pellamar_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                             -Wno-sign-conversion)
    # Results are compared to the last digit: a fused multiply-add would round differently.
    target_compile_options(${target} PRIVATE -ffp-contract=off)
    if(PELLAMAR_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

function(pellamar_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
    # Program texts are Unicode; an implicit conversion from a C string would hide the encoding.
    target_compile_definitions(${name} PRIVATE QT_NO_CAST_FROM_ASCII)
    pellamar_warnings(${name})
endfunction()

# A QtTest executable registered with CTest; it never touches the user's settings and
# runs on the offscreen platform.
function(pellamar_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test ${ARG_LIBS})
    target_compile_definitions(${name} PRIVATE
        PELLAMAR_TEST_DATA="${PROJECT_SOURCE_DIR}/tests/data")
    pellamar_warnings(${name})
    add_test(NAME ${name} COMMAND ${name})
    # unit: the UI-free libraries; window: widgets on the offscreen platform; system: programs,
    # printers and packages as installed; slow: more than a few seconds.
    set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "QT_QPA_PLATFORM=offscreen;XDG_CONFIG_HOME=${CMAKE_BINARY_DIR}/test-config;LC_ALL=C.UTF-8")
    # Apart from ENVIRONMENT, so that a test setting its own environment keeps these.
    if(PELLAMAR_SANITIZER_TEST_ENV)
        set_property(TEST ${name} APPEND PROPERTY ENVIRONMENT_MODIFICATION
                     ${PELLAMAR_SANITIZER_TEST_ENV})
    endif()
endfunction()
