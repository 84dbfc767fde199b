mailvane_add_fuzzer(fuzz_base64 SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_base64.cpp DEPS mailvane_codecs)
