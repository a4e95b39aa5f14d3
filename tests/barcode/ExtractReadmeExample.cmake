# Writes the C++ block under "## Using the library" in README.md to OUTPUT exactly as
# printed, so that the example the tests build and run is the one readers see. Fails
# when the block is missing or longer than four lines of C++ besides includes.
# Variables: README, OUTPUT.
file(READ ${README} readme)
string(FIND "${readme}" "\n## Using the library\n" section)
if(section EQUAL -1)
    message(FATAL_ERROR "${README} has no section \"## Using the library\"")
endif()
string(SUBSTRING "${readme}" ${section} -1 readme)
set(fence "```cpp\n")
string(FIND "${readme}" "${fence}" start)
if(start EQUAL -1)
    message(FATAL_ERROR "\"## Using the library\" in ${README} has no ```cpp block")
endif()
string(LENGTH "${fence}" fenceLength)
math(EXPR start "${start} + ${fenceLength}")
string(SUBSTRING "${readme}" ${start} -1 readme)
string(FIND "${readme}" "```" end)
string(SUBSTRING "${readme}" 0 ${end} example)

# Lines of C++ that are neither includes nor blank; semicolons would split CMake lists.
string(REPLACE ";" "," lines "${example}")
string(REGEX MATCHALL "[^\n]*\n" lines "${lines}")
set(code 0)
foreach(line IN LISTS lines)
    if(NOT line MATCHES "^[ \t]*(#include .*)?\n$")
        math(EXPR code "${code} + 1")
    endif()
endforeach()
if(code GREATER 4)
    message(FATAL_ERROR "the example in ${README} has ${code} lines of C++ besides includes, more than four")
endif()
file(WRITE ${OUTPUT} "${example}")
