# Configures small projects with the project's target helpers and checks that
# kvt_check_core_free_of_qt() refuses a core target that reaches Qt by any chain of
# links, and accepts one that does not.
#
#   cmake -DHELPERS=<KvtTargets.cmake> -DWORK=<folder> -P core_free_of_qt_test.cmake

cmake_minimum_required(VERSION 3.25)

set(failures 0)

# kvt_case(<name> <expected error or "">  <CMake lines of the project>...)
function(kvt_case name expected)
    set(root ${WORK}/${name})
    file(REMOVE_RECURSE ${root})
    string(JOIN "\n" body ${ARGN})
    file(WRITE ${root}/CMakeLists.txt
         "cmake_minimum_required(VERSION 3.25)\nproject(${name} LANGUAGES NONE)\ninclude(${HELPERS})\n"
         "add_library(Qt6::Core INTERFACE IMPORTED)\nadd_library(Qt6::Widgets INTERFACE IMPORTED)\n"
         "target_link_libraries(Qt6::Widgets INTERFACE Qt6::Core)\n"
         "${body}\nkvt_check_core_free_of_qt()\n")
    execute_process(COMMAND ${CMAKE_COMMAND} -S ${root} -B ${root}/build RESULT_VARIABLE rc OUTPUT_VARIABLE out
                    ERROR_VARIABLE err)
    string(REGEX REPLACE "[ \n]+" " " flat "${err}")
    if(expected STREQUAL "")
        if(rc EQUAL 0)
            return()
        endif()
    elseif(NOT rc EQUAL 0 AND flat MATCHES "core target ${expected}; core code must stay free of Qt")
        return()
    endif()
    message(NOTICE "case ${name}: exit code ${rc}, expected '${expected}'\n${out}${err}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
endfunction()


kvt_case(DirectLink "core reaches Qt through core -> Qt6::Core"
    "add_library(core INTERFACE)" "set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS core)"
    "target_link_libraries(core INTERFACE Qt6::Core)")

kvt_case(ThroughAnotherTarget "core reaches Qt through core -> middle -> Qt6::Widgets"
    "add_library(middle INTERFACE)" "target_link_libraries(middle INTERFACE Qt6::Widgets)"
    "add_library(core INTERFACE)" "set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS core)"
    "target_link_libraries(core INTERFACE middle)")

kvt_case(ThroughALinkOnlyLink "core reaches Qt through core -> middle -> bottom -> Qt6::Core"
    "add_library(bottom INTERFACE)" "target_link_libraries(bottom INTERFACE Qt6::Core)"
    "add_library(middle INTERFACE)" "target_link_libraries(middle INTERFACE $<LINK_ONLY:bottom>)"
    "add_library(core INTERFACE)" "set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS core)"
    "target_link_libraries(core INTERFACE middle)")

kvt_case(ThroughAnImportedLibrary "core reaches Qt through core -> Vendor::Gauges -> Qt6::Widgets"
    "add_library(Vendor::Gauges INTERFACE IMPORTED)"
    "target_link_libraries(Vendor::Gauges INTERFACE Qt6::Widgets)"
    "add_library(core INTERFACE)" "set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS core)"
    "target_link_libraries(core INTERFACE Vendor::Gauges)")

kvt_case(QtOnlyAboveTheCore ""
    "add_library(Vendor::Crypto INTERFACE IMPORTED)"
    "add_library(core INTERFACE)" "set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS core)"
    "target_link_libraries(core INTERFACE Vendor::Crypto)"
    "add_library(window INTERFACE)" "target_link_libraries(window INTERFACE core Qt6::Widgets)")

if(failures GREATER 0)
    message(FATAL_ERROR "${failures} case(s) of the Qt-free check went wrong")
endif()
message(STATUS "the Qt-free check refused and accepted what it should")
