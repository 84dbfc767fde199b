mailvane_add_fuzzer(fuzz_uuencode SOURCES ${PROJECT_SOURCE_DIR}/fuzz/fuzz_uuencode.cpp DEPS mailvane_codecs)
