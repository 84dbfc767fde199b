mailvane_add_fuzzer(fuzz_dbx SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_dbx.cpp DEPS mailvane_dbx)
