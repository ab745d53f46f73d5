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

# A second run of a test program under a German desktop locale, of the tests the gtest
# filter picks: what they compare must read the same with a decimal comma in force. The
# locale is made for the run (tests/german_locale.cmake), so the run never depends on the
# locales a machine has installed; tests/locale_test_support.h fails the run when it did
# not get one. KVT_TEST_LOCALE_DIR is set in tests/CMakeLists.txt.
function(kvt_test_german_locale name filter)
    add_test(NAME ${name}.de_DE COMMAND ${name} --gtest_filter=${filter})
    # A filter that picks nothing would pass without a word.
    set_tests_properties(${name}.de_DE PROPERTIES
        FIXTURES_REQUIRED kvt_german_locale
        FAIL_REGULAR_EXPRESSION "Running 0 tests"
        ENVIRONMENT "LANG=de_DE.UTF-8;LC_ALL=de_DE.UTF-8;LOCPATH=${KVT_TEST_LOCALE_DIR};KVT_TEST_GERMAN_LOCALE=1;QT_QPA_PLATFORM=offscreen")
endfunction()

# The project's targets and external libraries a target links, directly or through
# PUBLIC and INTERFACE links; generator expressions other than $<LINK_ONLY:...> are left
# out, because their value is not known while configuring.
function(kvt_direct_links target out)
    set(result "")
    get_target_property(type ${target} TYPE)
    set(properties INTERFACE_LINK_LIBRARIES)
    if(NOT type STREQUAL "INTERFACE_LIBRARY")
        list(APPEND properties LINK_LIBRARIES)
    endif()
    foreach(property IN LISTS properties)
        get_target_property(libs ${target} ${property})
        if(NOT libs)
            continue()
        endif()
        foreach(l IN LISTS libs)
            if(l MATCHES "^\\$<LINK_ONLY:([^$<>]+)>$")
                set(l ${CMAKE_MATCH_1})
            endif()
            if(l AND NOT l MATCHES "\\$<")
                list(APPEND result ${l})
            endif()
        endforeach()
    endforeach()
    list(REMOVE_DUPLICATES result)
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# The chain of links by which a target reaches Qt ("a -> b -> Qt6::Core"), or nothing.
# Imported libraries are followed too: one built on Qt brings Qt along.
function(kvt_path_to_qt target out)
    set(queue ${target})
    set(seen ${target})
    set(path_${target} ${target})
    while(queue)
        list(POP_FRONT queue current)
        kvt_direct_links(${current} links)
        foreach(l IN LISTS links)
            if(l MATCHES "^Qt[56]?::" OR l MATCHES "(^|/)libQt[56]")
                set(${out} "${path_${current}} -> ${l}" PARENT_SCOPE)
                return()
            endif()
            if(TARGET ${l} AND NOT l IN_LIST seen)
                list(APPEND seen ${l})
                set(path_${l} "${path_${current}} -> ${l}")
                list(APPEND queue ${l})
            endif()
        endforeach()
    endwhile()
    set(${out} "" PARENT_SCOPE)
endfunction()

# A core target must not reach Qt, not even through a library it links that links Qt.
function(kvt_check_core_free_of_qt)
    get_property(core_targets GLOBAL PROPERTY KVT_CORE_TARGETS)
    foreach(t IN LISTS core_targets)
        kvt_path_to_qt(${t} path)
        if(path)
            message(FATAL_ERROR "core target ${t} reaches Qt through ${path}; core code must stay free of Qt")
        endif()
    endforeach()
endfunction()

# Every target defined below a directory, its sub-directories included.
function(kvt_targets_below dir out)
    get_property(result DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(sub IN LISTS subdirs)
        kvt_targets_below(${sub} more)
        list(APPEND result ${more})
    endforeach()
    set(${out} "${result}" PARENT_SCOPE)
endfunction()

# Writes what the direction check needs to know about the targets below src/: their
# folder, whether they reach Qt, their sources and the libraries they link. Paths are
# relative to src/.
function(kvt_write_build_graph file)
    set(src ${PROJECT_SOURCE_DIR}/src)
    kvt_targets_below(${PROJECT_SOURCE_DIR} all)
    set(content "# Written by kvt_write_build_graph() while configuring; read by CheckDirection.cmake.\n")
    set(names "")
    foreach(t IN LISTS all)
        get_target_property(dir ${t} SOURCE_DIR)
        cmake_path(IS_PREFIX src "${dir}" NORMALIZE below_src)
        if(NOT below_src)
            continue()
        endif()
        list(APPEND names ${t})
        cmake_path(RELATIVE_PATH dir BASE_DIRECTORY ${src})
        kvt_path_to_qt(${t} qt_path)
        if(qt_path)
            set(qt TRUE)
        else()
            set(qt FALSE)
        endif()
        get_target_property(sources ${t} SOURCES)
        set(relative_sources "")
        foreach(s IN LISTS sources)
            if(s MATCHES "\\$<")
                continue()
            endif()
            cmake_path(ABSOLUTE_PATH s BASE_DIRECTORY ${PROJECT_SOURCE_DIR}/src/${dir} NORMALIZE)
            cmake_path(IS_PREFIX src "${s}" NORMALIZE source_below_src)
            if(source_below_src)
                cmake_path(RELATIVE_PATH s BASE_DIRECTORY ${src})
                list(APPEND relative_sources ${s})
            endif()
        endforeach()
        kvt_direct_links(${t} links)
        string(APPEND content "set(KVT_TARGET_${t}_DIR [==[${dir}]==])\n"
                              "set(KVT_TARGET_${t}_QT ${qt})\n"
                              "set(KVT_TARGET_${t}_SOURCES [==[${relative_sources}]==])\n"
                              "set(KVT_TARGET_${t}_LINKS [==[${links}]==])\n")
    endforeach()
    string(APPEND content "set(KVT_TARGETS [==[${names}]==])\n")
    file(CONFIGURE OUTPUT ${file} CONTENT "${content}" @ONLY)
endfunction()
