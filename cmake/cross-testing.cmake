# Tests of the Windows build, run under Wine.
#
# GoogleTest needs std::mutex, which the program's win32 thread model lacks, so the tests are a
# build of their own with the posix model (in tests/ of this build tree). It gets the program
# built here as the one to test, and its tests are registered as this build's own, so that
# ctest here runs them all.
if(NOT DEFINED WOBBET_PROGRAM_UNDER_TEST)
    include(ExternalProject)
    set(testBuildDir ${CMAKE_BINARY_DIR}/tests)
    ExternalProject_Add(windows_tests
        SOURCE_DIR ${PROJECT_SOURCE_DIR}
        BINARY_DIR ${testBuildDir}
        CMAKE_ARGS
            --toolchain ${CMAKE_CURRENT_LIST_DIR}/mingw-i686-posix.cmake
            -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
            -DCMAKE_COMPILE_WARNING_AS_ERROR=${CMAKE_COMPILE_WARNING_AS_ERROR}
            -DWOBBET_PROGRAM_UNDER_TEST=$<TARGET_FILE:Wobbet>
        BUILD_ALWAYS ON
        INSTALL_COMMAND ""
        DEPENDS Wobbet
    )
    file(WRITE ${CMAKE_BINARY_DIR}/windows-tests.cmake "subdirs(\"${testBuildDir}\")\n")
    set_property(DIRECTORY ${PROJECT_SOURCE_DIR} APPEND PROPERTY
        TEST_INCLUDE_FILES ${CMAKE_BINARY_DIR}/windows-tests.cmake)
    return()
endif()

# From here on this is the test build.

# Writes `runner`, a script that runs a Windows program under Wine in `prefix`, and a target
# that makes the prefix while the tests are built (it takes seconds, more than test discovery
# may). Further arguments go to cmake/wine-run before the prefix.
function(wobbet_add_wine_runner target runner prefix)
    file(WRITE ${runner}
        "#!/bin/sh\nexec '${PROJECT_SOURCE_DIR}/cmake/wine-run' ${ARGN} '${prefix}' \"$@\"\n")
    file(CHMOD ${runner} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
        GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
    add_custom_command(OUTPUT ${prefix}/.wobbet-ready
        COMMAND ${runner} --prepare
        COMMENT "Preparing the Wine prefix ${prefix}")
    add_custom_target(${target} ALL DEPENDS ${prefix}/.wobbet-ready)
endfunction()

# Every unit test program runs under Wine, and needs no display for the windows it opens.
wobbet_add_wine_runner(wine_prefix ${CMAKE_BINARY_DIR}/wine-run ${CMAKE_BINARY_DIR}/wine-prefix
    --headless)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
    # Debian's sources, not ours: their warnings are not ours to fix.
    target_compile_options(${library} PRIVATE -w)
    set_target_properties(${library} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
endforeach()

include(GoogleTest)
add_subdirectory(${PROJECT_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/tests)
