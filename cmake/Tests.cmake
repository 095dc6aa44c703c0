# The four test levels. Native: the portable core's unit tests (level 1). Windows: the same unit tests
# under Wine (level 2), in-process form tests (level 3) and end-to-end tests against the real executable
# (level 4). Wine needs a display and a prefix: the fixture "wine_session" starts an Xvfb and the
# wineserver for the run and stops them at its end.
file(GLOB UNIT_TEST_SOURCES CONFIGURE_DEPENDS tests/unit/*.cpp)
add_library(horvane_test_support STATIC tests/support/TestSupport.cpp)
target_link_libraries(horvane_test_support PUBLIC horvane_core)

if(NOT WIN32)
    find_package(GTest REQUIRED)
    include(GoogleTest)
    add_executable(unit_tests ${UNIT_TEST_SOURCES})
    target_link_libraries(unit_tests PRIVATE horvane_test_support GTest::gtest GTest::gtest_main)
    gtest_discover_tests(unit_tests DISCOVERY_TIMEOUT 60 PROPERTIES LABELS unit)
    return()
endif()

set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
target_compile_options(gtest PRIVATE -w)
target_compile_options(gtest_main PRIVATE -w)

set(HARNESS ${CMAKE_CURRENT_SOURCE_DIR}/tests/harness)
add_test(NAME wine_session_start COMMAND ${HARNESS}/wine-session start ${CMAKE_BINARY_DIR})
add_test(NAME wine_session_stop COMMAND ${HARNESS}/wine-session stop ${CMAKE_BINARY_DIR})
set_tests_properties(wine_session_start PROPERTIES FIXTURES_SETUP wine_session)
set_tests_properties(wine_session_stop PROPERTIES FIXTURES_CLEANUP wine_session)

function(horvane_wine_test name)
    add_test(NAME ${name} COMMAND ${name} ${ARGN})
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_desktop
                         ENVIRONMENT "HORVANE_BUILD=${CMAKE_BINARY_DIR}")
endfunction()

add_executable(unit_tests ${UNIT_TEST_SOURCES})
target_link_libraries(unit_tests PRIVATE horvane_test_support gtest gtest_main)
target_link_options(unit_tests PRIVATE -static)
horvane_wine_test(unit_tests)

# Level 3: the forms in a test process. Each test creates the windows it needs on its own thread.
file(GLOB WIN_TEST_SOURCES CONFIGURE_DEPENDS tests/win/*.cpp)
if(WIN_TEST_SOURCES)
    add_executable(win_tests ${WIN_TEST_SOURCES})
    target_link_libraries(win_tests PRIVATE horvane_app horvane_test_support horvane_driver gtest)
    target_link_options(win_tests PRIVATE -static)
    horvane_wine_test(win_tests)
endif()

# The forms again under an English system locale (before the end-to-end run, which changes the
# system DPI for a while), where the language changes what a user sees: texts
# (code page 932 named at every conversion), layouts fitted to text, the time picker's format, menus.
if(WIN_TEST_SOURCES)
    add_test(NAME win_tests_english COMMAND win_tests
             --gtest_filter=*.Controls*:*.ThePicker*:*.TheTitleIsTaken*:*.TheNumberColumn*:*.ARightClick*:*.TheMenuShows*:*.TheFirstShow*:*.ALayoutReadBack*)
    set_tests_properties(win_tests_english PROPERTIES FIXTURES_REQUIRED wine_session RESOURCE_LOCK wine_desktop
                         ENVIRONMENT "HORVANE_BUILD=${CMAKE_BINARY_DIR};HORVANE_LANG=en_US.UTF-8")
endif()

# The driver (tools/driver): used by level 3 and level 4.
include(tools/driver/Driver.cmake)

# Level 4: the real executable, driven from a second process.
file(GLOB E2E_TEST_SOURCES CONFIGURE_DEPENDS tests/e2e/*Test.cpp)
if(E2E_TEST_SOURCES)
    add_executable(e2e_tests ${E2E_TEST_SOURCES} tests/e2e/E2eMain.cpp)
    target_link_libraries(e2e_tests PRIVATE horvane_driver horvane_test_support gtest version)
    target_link_options(e2e_tests PRIVATE -static)
    add_dependencies(e2e_tests Horvane2010)
    horvane_wine_test(e2e_tests)
endif()
