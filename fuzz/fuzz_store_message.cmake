mailvane_add_fuzzer(fuzz_store_message
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_store_message.cpp
  DEPS mailvane_store)
