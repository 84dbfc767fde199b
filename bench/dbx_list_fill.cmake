# The DBX window's list fill over a generated .dbx file of many messages, offscreen.
if(TARGET mailvane_windows AND MAILVANE_TESTS)
  add_executable(bench_dbx_list_fill ${CMAKE_CURRENT_LIST_DIR}/DbxListFillBench.cpp)
  target_link_libraries(bench_dbx_list_fill PRIVATE mailvane_windows mailvane_dbx_testfiles)
  mailvane_target_defaults(bench_dbx_list_fill)
  add_dependencies(bench_dbx_list_fill Toolbench)
endif()
