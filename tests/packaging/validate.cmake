# Runs a validator on a packaging file; any error or warning fails. Hints pass: the desktop
# file names two main categories (Science and Education) on purpose, which earns one.
find_program(tool_path ${TOOL})
if(NOT tool_path)
    message(FATAL_ERROR "${TOOL} is not installed: apt-get install ${PACKAGE} (./dev.sh does)")
endif()
# Untranslated messages, so the summary below is recognised in any locale.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C.UTF-8 ${tool_path} ${ARGS}
                RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(STRIP "${out}" out)
# appstreamcli closes with a summary line even when it has nothing to say.
string(REGEX REPLACE "^[^\n]*Validation was successful[^\n]*$" "" complaints "${out}")
string(REGEX REPLACE "[^\n]*: hint: [^\n]*\n?" "" complaints "${complaints}")
string(STRIP "${complaints}" complaints)
if(NOT rc EQUAL 0 OR NOT complaints STREQUAL "")
    list(JOIN ARGS " " command)
    message(FATAL_ERROR "${TOOL} ${command} (exit ${rc}):\n${out}")
endif()
message(STATUS "${TOOL}: clean")
