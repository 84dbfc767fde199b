# Folder watch: the cost of reporting created files and of a rescan after lost events,
# against the plain file system work they follow (see README.md).
add_executable(bench_newswatch ${CMAKE_CURRENT_LIST_DIR}/NewswatchBench.cpp)
target_link_libraries(bench_newswatch PRIVATE mailvane_newswatch_core benchmark::benchmark)
mailvane_target_defaults(bench_newswatch)
