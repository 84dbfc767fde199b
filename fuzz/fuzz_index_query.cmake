mailvane_add_fuzzer(fuzz_index_query
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_index_query.cpp
  DEPS mailvane_index)
