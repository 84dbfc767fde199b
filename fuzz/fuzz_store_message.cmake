mailvane_add_fuzzer(fuzz_store_message
  SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_store_message.cpp
  DEPS mailvane_store)
# Our own readers carry the coverage instrumentation; GMime, a system library, runs blind.
if(MAILVANE_FUZZ)
  target_compile_options(mailvane_store PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
