add_executable(dbx_bench ${PROJECT_SOURCE_DIR}/bench/DbxBench.cpp)
target_include_directories(dbx_bench PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(dbx_bench PRIVATE mailvane_dbx benchmark::benchmark)
mailvane_target_defaults(dbx_bench)
