# GoogleTest for both targets, and ctest running Windows test programs under Wine.

if(EXISTS /usr/src/googletest/CMakeLists.txt)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
    # Elsewhere (MSVC on Windows) GoogleTest comes from a package manager, e.g. vcpkg.
    find_package(GTest CONFIG REQUIRED)
    add_library(gtest_main ALIAS GTest::gtest_main)
    add_library(gmock ALIAS GTest::gmock)
endif()

include(GoogleTest)

if(CMAKE_CROSSCOMPILING AND WIN32)
    find_program(BRENVALE_WINE NAMES wine wine64 REQUIRED)
    # A Wine prefix of the build's own, so a run never reads or changes ~/.wine.
    set(CMAKE_CROSSCOMPILING_EMULATOR
        ${CMAKE_SOURCE_DIR}/cmake/run-under-wine.sh ${BRENVALE_WINE} ${CMAKE_BINARY_DIR}/wineprefix)
endif()

# brenvale_add_test(NAME SOURCES... LIBS ...): one test program. Natively every test case is its
# own ctest entry; under Wine each program is one entry, since every Wine start costs a second.
function(brenvale_add_test name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBS")
    add_executable(${name} ${arg_SOURCES})
    target_link_libraries(${name} PRIVATE ${arg_LIBS} brenvale_options gmock gtest_main)
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES TIMEOUT 300 ENVIRONMENT BRENVALE_TEST_CODE_PAGE=936)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 30 PROPERTIES TIMEOUT 120)
    endif()
endfunction()
