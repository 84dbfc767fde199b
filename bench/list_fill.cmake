# The folder window's list fill over a generated folder, offscreen, against the way it
# used to run (a yield, a whole read and a repaint per message).
if(TARGET mailvane_windows)
  add_executable(bench_list_fill ${CMAKE_CURRENT_LIST_DIR}/ListFillBench.cpp)
  target_link_libraries(bench_list_fill PRIVATE mailvane_windows mailvane_codecs)
  mailvane_target_defaults(bench_list_fill)
endif()
