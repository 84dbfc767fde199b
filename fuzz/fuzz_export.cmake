mailvane_add_fuzzer(fuzz_export
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_export.cpp
  DEPS mailvane_store)
