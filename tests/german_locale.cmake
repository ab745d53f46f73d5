# Generates the German locale the test runs under a German desktop use, into a folder of
# the build, so that they never depend on the locales a machine has installed. Needs
# localedef and the locale sources (Debian package "locales").
#
#   cmake -DLOCALEDEF=<localedef> -DFOLDER=<folder> -P german_locale.cmake
#
# The locale is made under a temporary name and renamed when complete, so a run that was
# cut short never leaves a half-made locale that later runs would take.

cmake_minimum_required(VERSION 3.25)

set(target ${FOLDER}/de_DE.UTF-8)
if(EXISTS ${target}/LC_NUMERIC)
    return()
endif()
if(NOT LOCALEDEF OR NOT EXISTS "${LOCALEDEF}")
    message(FATAL_ERROR "localedef not found: it comes with the C library (Debian package libc-bin)")
endif()
set(temporary ${target}.tmp)
file(REMOVE_RECURSE ${temporary})
file(MAKE_DIRECTORY ${FOLDER})
execute_process(COMMAND ${LOCALEDEF} -i de_DE -f UTF-8 ${temporary} RESULT_VARIABLE rc OUTPUT_VARIABLE out
                ERROR_VARIABLE err)
# Exit code 1 means warnings only; the locale is made all the same.
if(NOT (rc EQUAL 0 OR rc EQUAL 1) OR NOT EXISTS ${temporary}/LC_NUMERIC)
    message(FATAL_ERROR "localedef could not make the German locale (exit code ${rc}); "
                        "install the Debian package \"locales\" (scripts/install-dependencies.sh)\n${out}${err}")
endif()
file(REMOVE_RECURSE ${target})
file(RENAME ${temporary} ${target})
