# GoogleTest from Debian's sources, built for whichever target this tree has,
# and the helper that turns a test program into ctest entries.

if(NL_FUZZ)
    return()
endif()

enable_testing()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

if(NL_WINDOWS)
    # Every Windows test needs the Wine prefix, a display and one persistent
    # wineserver; ctest prepares them once and stops the server at the end.
    add_test(NAME wine.start COMMAND "${CMAKE_BINARY_DIR}/wine-run.sh" --start)
    add_test(NAME wine.stop COMMAND "${CMAKE_BINARY_DIR}/wine-run.sh" --stop)
    set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP wine)
endif()

# nl_add_gtest(TARGET [FOREGROUND])
#   Native: each test case becomes a ctest entry.
#   Windows: the program is one ctest entry run under Wine; FOREGROUND tests
#   (those that need the foreground window, e.g. DirectInput) run one at a time.
function(nl_add_gtest target)
    cmake_parse_arguments(ARG "FOREGROUND" "" "" ${ARGN})
    target_link_libraries(${target} PRIVATE GTest::gtest_main)
    if(NL_WINDOWS)
        add_test(NAME ${target} COMMAND ${target} --gtest_color=no)
        set_tests_properties(${target} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
        if(ARG_FOREGROUND)
            set_tests_properties(${target} PROPERTIES RESOURCE_LOCK desktop)
        endif()
    else()
        include(GoogleTest)
        gtest_discover_tests(${target} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

# nl_add_wine_test(NAME COMMAND...) - a plain Windows program run as a test.
function(nl_add_wine_test name)
    add_test(NAME ${name} COMMAND ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine TIMEOUT 300)
endfunction()
