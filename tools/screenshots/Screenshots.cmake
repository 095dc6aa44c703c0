# The guide's pictures: a program that shows the real forms with the guide's example data and saves them
# (tools/screenshots/take runs it under Wine at 96 and 144 DPI). It carries the clock's own resources
# (manifest, visual styles, icon), so that the forms look as the program's do.
if(NOT WIN32 OR NOT TARGET horvane_driver)
    return()
endif()
add_executable(screenshots tools/screenshots/Screenshots.cpp tests/win/WinTestSupport.cpp app/Horvane2010.rc)
target_include_directories(screenshots PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/app")
target_link_libraries(screenshots PRIVATE horvane_app horvane_test_support horvane_driver)
target_link_options(screenshots PRIVATE -static -municode)
