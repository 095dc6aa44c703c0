# The bench and soak programs (scripts/bench, scripts/soak). Windows tree: the baseline clock and the two
# probes that watch the clock from outside, built like the product. Native tree: the settings and
# timer I/O benchmark, when Google Benchmark is installed. None is part of the default build: the scripts
# that run them build them by name (bench_programs, io_bench).
if(WIN32)
    function(horvane_bench_program name kind)
        add_executable(${name} ${kind} EXCLUDE_FROM_ALL bench/${name}.cpp ${ARGN})
        target_include_directories(${name} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR})
        target_compile_options(${name} PRIVATE -Wall -Wextra)
        target_link_options(${name} PRIVATE -municode -static $<$<CONFIG:MinSizeRel,Release>:-s>)
    endfunction()
    # The baseline stays as plain as a first Win32 program: same compiler, same flags, nothing else.
    horvane_bench_program(PlainClock WIN32)
    horvane_bench_program(LagProbe "" bench/Probe.cpp)
    horvane_bench_program(SoakProbe "" bench/Probe.cpp)
    target_link_libraries(LagProbe PRIVATE user32 winmm psapi)
    target_link_libraries(SoakProbe PRIVATE user32 psapi)
    add_custom_target(bench_programs DEPENDS Horvane2010 PlainClock LagProbe SoakProbe)
else()
    find_package(benchmark QUIET)
    if(benchmark_FOUND)
        add_executable(io_bench EXCLUDE_FROM_ALL bench/IoBench.cpp)
        target_link_libraries(io_bench PRIVATE horvane_core benchmark::benchmark)
    endif()
endif()
