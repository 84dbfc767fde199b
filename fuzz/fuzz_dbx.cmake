mailvane_add_fuzzer(fuzz_dbx SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_dbx.cpp DEPS mailvane_dbx)
# The reader itself must carry the coverage instrumentation, or the fuzzer runs blind.
if(MAILVANE_FUZZ)
  target_compile_options(mailvane_dbx PRIVATE -fsanitize=fuzzer-no-link,address,undefined)
endif()
