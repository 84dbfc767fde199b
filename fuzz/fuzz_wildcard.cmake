mailvane_add_fuzzer(fuzz_wildcard
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_wildcard.cpp
  DEPS mailvane_newswatch_core)
