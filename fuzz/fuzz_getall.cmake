mailvane_add_fuzzer(fuzz_getall
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_getall.cpp
  DEPS mailvane_engine mailvane_codecs mailvane_system)
