mailvane_add_fuzzer(fuzz_wine_hive
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_wine_hive.cpp
  DEPS mailvane_system)
