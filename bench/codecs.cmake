# Codec throughput: Google Benchmark over in-memory payloads, and a file-to-file tool for
# whole-process timings against the system's base64 with hyperfine (see README.md).
add_executable(bench_codecs ${CMAKE_CURRENT_LIST_DIR}/CodecsBench.cpp)
target_link_libraries(bench_codecs PRIVATE mailvane_codecs benchmark::benchmark)
mailvane_target_defaults(bench_codecs)

add_executable(codec_file_tool ${CMAKE_CURRENT_LIST_DIR}/CodecFileTool.cpp)
target_link_libraries(codec_file_tool PRIVATE mailvane_codecs)
mailvane_target_defaults(codec_file_tool)
