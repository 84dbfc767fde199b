# The stores are written with the .dbx test builder, which exists only with the tests.
if(TARGET mailvane_store AND TARGET mailvane_dbx_testfiles)
  add_executable(store_bench ${PROJECT_SOURCE_DIR}/bench/StoreBench.cpp)
  target_include_directories(store_bench PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(store_bench PRIVATE mailvane_store mailvane_dbx_testfiles benchmark::benchmark)
  mailvane_target_defaults(store_bench)
endif()
