# Benchmarks, built only by scripts/bench (`make bench`), so that a build of the product or of
# the tests never waits for them.
#   baseline      the smallest one-page wizard, in both trees: its size next to the shipped exe's,
#                 its start-up and memory next to the setup's
#   bench_runner  drives the setup from outside: start-up, memory, whole installations
#   bench_engine  the install engine in its own process against plain system calls
add_executable(baseline WIN32 EXCLUDE_FROM_ALL bench/baseline.cpp bench/baseline.rc)
target_include_directories(baseline PRIVATE ${CMAKE_SOURCE_DIR})
target_link_libraries(baseline PRIVATE comctl32)
target_link_options(baseline PRIVATE -s -Wl,-Map=${CMAKE_BINARY_DIR}/baseline.map)

if(ORVELLA_BUILD_TESTS)
    add_executable(bench_runner EXCLUDE_FROM_ALL bench/bench_runner.cpp bench/install_bench.cpp
                   bench/startup_bench.cpp bench/remote.cpp bench/measure.cpp)
    target_include_directories(bench_runner PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/src)
    target_link_libraries(bench_runner PRIVATE user32 comctl32 psapi)

    add_executable(bench_engine EXCLUDE_FROM_ALL bench/bench_engine.cpp bench/minimal_reader.cpp
                   bench/progress_host.cpp bench/measure.cpp ${SETUP_RC})
    target_link_libraries(bench_engine PRIVATE setupcore)
    add_dependencies(bench_engine assets)
endif()
