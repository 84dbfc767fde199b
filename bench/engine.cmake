# Engine scaling: header fields and link scans over 1 KB .. 16 MB, and a whole parse and
# extraction of small against large messages; time per byte should stay flat.
add_executable(bench_engine ${CMAKE_CURRENT_LIST_DIR}/EngineBench.cpp)
target_link_libraries(bench_engine PRIVATE mailvane_engine benchmark::benchmark)
mailvane_target_defaults(bench_engine)
