# Helpers that give every target of the project the same language level, warnings
# and include root, and keep the core libraries free of Qt.

function(kvt_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A core library: plain C++ only. It must not link Qt; kvt_check_core_free_of_qt()
# at the end of the configure step fails the build if one does.
function(kvt_core_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_features(${name} PUBLIC cxx_std_20)
    kvt_warnings(${name})
    set_property(GLOBAL APPEND PROPERTY KVT_CORE_TARGETS ${name})
endfunction()

# A library that may use Qt (windows, platform adapters).
function(kvt_qt_library name)
    add_library(${name} STATIC ${ARGN})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_compile_features(${name} PUBLIC cxx_std_20)
    target_compile_definitions(${name} PUBLIC QT_NO_CONTEXTLESS_CONNECT)
    set_target_properties(${name} PROPERTIES AUTOMOC ON)
    kvt_warnings(${name})
endfunction()

# One test executable per subsystem; tests are discovered before they run so that a
# QApplication never has to exist at build time.
function(kvt_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/src ${PROJECT_SOURCE_DIR}/tests)
    kvt_warnings(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
endfunction()

function(kvt_check_core_free_of_qt)
    get_property(core_targets GLOBAL PROPERTY KVT_CORE_TARGETS)
    foreach(t IN LISTS core_targets)
        get_target_property(libs ${t} LINK_LIBRARIES)
        foreach(l IN LISTS libs)
            if(l MATCHES "^Qt6?::")
                message(FATAL_ERROR "core target ${t} links ${l}; core code must stay free of Qt")
            endif()
        endforeach()
    endforeach()
endfunction()
