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
# Every test program runs in a Wine prefix of this build tree, made when the tests are built
# (it takes seconds, more than test discovery may).
set(WOBBET_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(WOBBET_WINE_RUN ${CMAKE_BINARY_DIR}/wine-run)
file(WRITE ${WOBBET_WINE_RUN}
    "#!/bin/sh\nexec '${CMAKE_CURRENT_LIST_DIR}/wine-run' '${WOBBET_WINE_PREFIX}' \"$@\"\n")
file(CHMOD ${WOBBET_WINE_RUN} FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
    GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${WOBBET_WINE_RUN})
add_custom_command(OUTPUT ${WOBBET_WINE_PREFIX}/.wobbet-ready
    COMMAND ${WOBBET_WINE_RUN} --prepare
    COMMENT "Preparing the Wine prefix for the tests")
add_custom_target(wine_prefix ALL DEPENDS ${WOBBET_WINE_PREFIX}/.wobbet-ready)

set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(library gtest gtest_main gmock gmock_main)
    # Debian's sources, not ours: their warnings are not ours to fix.
    target_compile_options(${library} PRIVATE -w)
    set_target_properties(${library} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
endforeach()

include(GoogleTest)
add_subdirectory(${PROJECT_SOURCE_DIR}/tests ${CMAKE_BINARY_DIR}/tests)
