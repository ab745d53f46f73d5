# Runs clang-format in dry-run mode over every C++ file of the project and fails
# when one of them is not formatted.
file(GLOB_RECURSE files ${ROOT}/src/*.cpp ${ROOT}/src/*.h ${ROOT}/tests/*.cpp ${ROOT}/tests/*.h
     ${ROOT}/bench/*.cpp ${ROOT}/bench/*.h)
set(bad "")
foreach(f IN LISTS files)
    execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${f} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
    if(NOT rc EQUAL 0)
        list(APPEND bad ${f})
    endif()
endforeach()
if(bad)
    string(REPLACE ";" "\n  " bad_lines "${bad}")
    message(FATAL_ERROR "not clang-formatted:\n  ${bad_lines}")
endif()
list(LENGTH files n)
message(STATUS "${n} files formatted")
