# Runs the direction check on small made-up source trees and compares the faults it
# reports with the expected ones, line for line.
#
#   cmake -DCHECKER=<CheckDirection.cmake> -DTABLE=<DirectionTable.cmake> -DWORK=<folder>
#         -P direction_check_test.cmake

cmake_minimum_required(VERSION 3.25)

set(failures 0)

# A target: "name|folder|qt|source,source|link,link".
function(kvt_write_graph file)
    set(content "")
    set(names "")
    foreach(target_line IN LISTS ARGN)
        string(REPLACE "|" ";" fields "${target_line}")
        list(GET fields 0 name)
        list(GET fields 1 dir)
        list(GET fields 2 qt)
        list(GET fields 3 sources)
        list(GET fields 4 links)
        string(REPLACE "," ";" sources "${sources}")
        string(REPLACE "," ";" links "${links}")
        list(APPEND names ${name})
        string(APPEND content "set(KVT_TARGET_${name}_DIR ${dir})\nset(KVT_TARGET_${name}_QT ${qt})\n"
                              "set(KVT_TARGET_${name}_SOURCES \"${sources}\")\nset(KVT_TARGET_${name}_LINKS \"${links}\")\n")
    endforeach()
    string(APPEND content "set(KVT_TARGETS \"${names}\")\n")
    file(WRITE ${file} "${content}")
endfunction()

# A tree in which every direction is right: the shell on common on state, the options
# dialog (a Qt target in options) and a machining window on the shell, the program on all.
set(base_files
    state/s.h "#pragma once"
    common/c.h "#include \"state/s.h\""
    common/c.cpp "#include \"common/c.h\"\n#include \"c.h\""
    options/o.h "#include \"common/c.h\""
    options/o_dialog.cpp "#include \"app/a.h\"\n#include \"options/o.h\""
    app/a.h "#include \"options/o.h\""
    app/main.cpp "#include \"machining/m_window.h\""
    machining/m_window.h "#include \"app/a.h\""
    design/d.h "#include \"common/c.h\""
    program/p.cpp "#include \"machining/m_window.h\"\n#include \"options/o_dialog.h\"\n#include \"design/d.h\""
    options/o_dialog.h "#pragma once")
set(base_targets
    "kvt_state|state|FALSE|state/s.h|"
    "kvt_common|common|FALSE|common/c.h,common/c.cpp|kvt_state"
    "kvt_options|options|FALSE|options/o.h|kvt_common"
    "kvt_options_dialog|options|TRUE|options/o_dialog.cpp,options/o_dialog.h|kvt_app,Qt6::Widgets"
    "kvt_app|app|FALSE|app/a.h|kvt_options,Threads::Threads"
    "kvt_m|machining|TRUE|machining/m_window.h|kvt_app"
    "kvt_d|design|FALSE|design/d.h|kvt_app"
    "kvt_program|program|TRUE|program/p.cpp|kvt_m,kvt_d,kvt_options_dialog")

# kvt_case(<name> [FILES <path> <text>...] [TARGETS <target_line>...] [EXCEPTIONS <entry>...]
#          [EXPECT <fault>...]): the base tree plus FILES, the base targets with those of
# TARGETS replaced or added, and the table with EXCEPTIONS as its only exceptions.
function(kvt_case name)
    cmake_parse_arguments(ARG "" "" "FILES;TARGETS;EXCEPTIONS;EXPECT" ${ARGN})
    set(root ${WORK}/${name})
    file(REMOVE_RECURSE ${root})
    set(files ${base_files} ${ARG_FILES})
    while(files)
        list(POP_FRONT files path text)
        file(WRITE ${root}/src/${path} "${text}\n")
    endwhile()
    set(targets "")
    foreach(target_line IN LISTS base_targets)
        string(REGEX REPLACE "\\|.*" "" base_name "${target_line}")
        foreach(replacement IN LISTS ARG_TARGETS)
            string(REGEX REPLACE "\\|.*" "" replacement_name "${replacement}")
            if(replacement_name STREQUAL base_name)
                set(target_line ${replacement})
            endif()
        endforeach()
        list(APPEND targets "${target_line}")
    endforeach()
    foreach(target_line IN LISTS ARG_TARGETS)
        if(NOT target_line IN_LIST targets)
            list(APPEND targets "${target_line}")
        endif()
    endforeach()
    kvt_write_graph(${root}/graph.cmake ${targets})
    set(exceptions "")
    foreach(e IN LISTS ARG_EXCEPTIONS)
        string(APPEND exceptions " \"${e}\"")
    endforeach()
    file(WRITE ${root}/table.cmake "include(${TABLE})\nset(KVT_DIRECTION_EXCEPTIONS${exceptions})\n")

    execute_process(COMMAND ${CMAKE_COMMAND} -DSRC=${root}/src -DGRAPH=${root}/graph.cmake
                            -DTABLE=${root}/table.cmake -P ${CHECKER}
                    RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
    string(REGEX MATCHALL "direction: [^\n]*" reported "${out}${err}")
    list(TRANSFORM reported REPLACE "^direction: " "")
    list(SORT reported)
    set(expected ${ARG_EXPECT})
    list(SORT expected)
    set(ok TRUE)
    if(NOT "${reported}" STREQUAL "${expected}")
        set(ok FALSE)
    endif()
    if(expected AND rc EQUAL 0)
        set(ok FALSE)
    elseif(NOT expected AND NOT rc EQUAL 0)
        set(ok FALSE)
    endif()
    if(NOT ok)
        string(REPLACE ";" "\n    " reported "${reported}")
        string(REPLACE ";" "\n    " expected "${expected}")
        message(NOTICE "case ${name}: exit code ${rc}\n  reported:\n    ${reported}\n  expected:\n    ${expected}\n"
                       "  output:\n${out}${err}")
        math(EXPR failures "${failures} + 1")
        set(failures ${failures} PARENT_SCOPE)
    endif()
endfunction()

kvt_case(RightDirections EXCEPTIONS "app/main.cpp program")

kvt_case(UpwardIncludeFromCommon
    FILES common/bad.h "#include \"app/a.h\""
    EXCEPTIONS "app/main.cpp program"
    EXPECT "common/bad.h (common) includes app/a.h (app)")

kvt_case(AngleBracketsNameProjectFilesToo
    FILES common/b.h "#include <app/a.h>\n#include <string>\n#include <QString>"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "common/b.h (common) includes app/a.h (app)")

kvt_case(IncludeBesideTheFileIsResolved
    FILES common/near.h "#include \"c.h\"" state/up.h "#include \"../common/c.h\""
    EXCEPTIONS "app/main.cpp program"
    EXPECT "state/up.h (state) includes common/c.h (common)")

kvt_case(WindowFoldersDoNotUseEachOther
    FILES machining/m2.h "#include \"design/d.h\""
    EXCEPTIONS "app/main.cpp program"
    EXPECT "machining/m2.h (machining) includes design/d.h (design)")

kvt_case(PlainOptionsCodeStaysBelowTheShell
    FILES options/o2.h "#include \"app/a.h\"" options/o_dialog_form.h "#include \"app/a.h\""
    TARGETS "kvt_options|options|FALSE|options/o.h,options/o2.h|kvt_common"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "options/o2.h (options) includes app/a.h (app)" "options/o_dialog_form.h (options) includes app/a.h (app)")

kvt_case(NothingUsesTheProgram
    FILES app/a2.h "#include \"program/p.cpp\""
    TARGETS "kvt_app|app|FALSE|app/a.h|kvt_options,kvt_program"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "app/a2.h (app) includes program/p.cpp (program)" "target kvt_app (app) links kvt_program (program)")

kvt_case(UpwardLink
    TARGETS "kvt_common|common|FALSE|common/c.h,common/c.cpp|kvt_state,kvt_app"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "target kvt_common (common) links kvt_app (app)")

kvt_case(IncludeWithoutLink
    FILES serial/port.cpp "#include \"options/o.h\"\n#include \"common/c.h\""
    TARGETS "kvt_serial|serial|FALSE|serial/port.cpp|kvt_common"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "serial/port.cpp includes options/o.h, but its target kvt_serial does not link kvt_options")

kvt_case(QtCodeInTheSerialFolderIsAWindow
    FILES serial/transfer_window.cpp "#include \"app/a.h\"" serial/link.h "#include \"app/a.h\""
    TARGETS "kvt_serial_qt|serial|TRUE|serial/transfer_window.cpp|kvt_app"
            "kvt_serial|serial|FALSE|serial/link.h|kvt_options"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "serial/link.h (serial) includes app/a.h (app)")

kvt_case(ExceptionsMustNameAFileAndAUnit
    EXCEPTIONS "app/main.cpp program" "app/gone.cpp program" "app/a.h nowhere"
    EXPECT "the exception for app/gone.cpp names no file"
           "the exception puts app/a.h in nowhere, which is no unit")

kvt_case(WithoutItsExceptionTheProgramStartIsAnUpwardInclude
    EXPECT "app/main.cpp (app) includes machining/m_window.h (machining)")

kvt_case(NewFolderMustBeInTheTable
    FILES gadgets/g.h "#include \"app/a.h\""
    EXCEPTIONS "app/main.cpp program"
    EXPECT "src/gadgets is not in the direction table")

kvt_case(TargetOfTwoUnits
    TARGETS "kvt_app|app|FALSE|app/a.h,app/main.cpp|kvt_options"
    EXCEPTIONS "app/main.cpp program"
    EXPECT "target kvt_app holds files of several units (app, program)"
           "app/main.cpp includes machining/m_window.h, but its target kvt_app does not link kvt_m")

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} case(s) of the direction check went wrong")
endif()
message(STATUS "every case of the direction check reported what it should")
