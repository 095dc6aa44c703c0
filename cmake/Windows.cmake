# The Windows program: the form-and-control layer, the forms, and the one executable.
enable_language(RC)
add_compile_definitions(UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0A00 WINVER=0x0A00)

# Everything but the entry point, so that the in-process form tests can link the real forms.
file(GLOB APP_SOURCES CONFIGURE_DEPENDS
    ui/*.cpp app/*.cpp settings/*_win.cpp timers/*_win.cpp common/*_win.cpp)
list(REMOVE_ITEM APP_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/app/main.cpp)
add_library(horvane_app STATIC ${APP_SOURCES})
# Known DLLs only: any other DLL in the import table is looked for in the program's folder first (uxtheme and
# the rest are loaded late from System32, ui/SystemLibraries.h).
target_link_libraries(horvane_app PUBLIC horvane_core comctl32 gdi32 user32)

add_executable(Horvane2010 WIN32 app/main.cpp app/Horvane2010.rc)
target_link_libraries(Horvane2010 PRIVATE horvane_app)
# One self-contained executable: the C++ runtime is linked in, only system DLLs are imported.
target_link_options(Horvane2010 PRIVATE -municode -static $<$<CONFIG:MinSizeRel,Release>:-s>)
target_compile_options(horvane_core PRIVATE $<$<CONFIG:MinSizeRel>:-ffunction-sections -fdata-sections>)
target_compile_options(horvane_app PRIVATE $<$<CONFIG:MinSizeRel>:-ffunction-sections -fdata-sections>)
target_link_options(Horvane2010 PRIVATE $<$<CONFIG:MinSizeRel>:-Wl,--gc-sections>)
# The version resource and the manifest's assembly version carry the project's version, written once, in
# CMakeLists.txt: the manifest is filled in here and the resource script takes the filled-in copy.
configure_file(app/Horvane2010.manifest app/Horvane2010.exe.manifest @ONLY)
target_include_directories(Horvane2010 PRIVATE "${CMAKE_CURRENT_BINARY_DIR}/app")
set_source_files_properties(app/Horvane2010.rc PROPERTIES
    OBJECT_DEPENDS "${CMAKE_CURRENT_BINARY_DIR}/app/Horvane2010.exe.manifest;${CMAKE_CURRENT_SOURCE_DIR}/app/VisualStyles.manifest;${CMAKE_CURRENT_SOURCE_DIR}/app/Horvane2010.ico"
    COMPILE_DEFINITIONS "HORVANE_VERSION=${PROJECT_VERSION};HORVANE_VERSION_MAJOR=${PROJECT_VERSION_MAJOR};HORVANE_VERSION_MINOR=${PROJECT_VERSION_MINOR};HORVANE_VERSION_PATCH=${PROJECT_VERSION_PATCH}")
# Reproducible: one commit gives the same executable byte for byte, whatever the folders and the time of
# the build (scripts/reproducible checks it). No link time stamp; no source or build path in the code.
target_compile_options(horvane_options INTERFACE
    "-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=" "-ffile-prefix-map=${CMAKE_BINARY_DIR}/=")
target_link_options(Horvane2010 PRIVATE -Wl,--no-insert-timestamp)
