# The driver that works the real clock from another process: a library for the form and end-to-end tests,
# its own checks against a window of known shape, and hvdriver, its command-line front end for the scripts
# (scripts/run, scripts/package, scripts/soak build it by name).
add_library(horvane_driver STATIC ${CMAKE_CURRENT_LIST_DIR}/Driver.cpp)
target_include_directories(horvane_driver PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
target_link_libraries(horvane_driver PUBLIC horvane_options user32 gdi32)

add_executable(hvdriver EXCLUDE_FROM_ALL ${CMAKE_CURRENT_LIST_DIR}/hvdriver.cpp)
target_link_libraries(hvdriver PRIVATE horvane_driver)
target_link_options(hvdriver PRIVATE -static -municode)

add_executable(driver_tests ${CMAKE_CURRENT_LIST_DIR}/DriverSelfTest.cpp)
target_link_libraries(driver_tests PRIVATE horvane_driver horvane_test_support gtest gtest_main)
target_link_options(driver_tests PRIVATE -static)
horvane_wine_test(driver_tests)
