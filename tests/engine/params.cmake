# parameter record and window limits tests
zenolith_add_test(test_engine_params
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_fractprops.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_window_limits.cpp
  LIBS zengine zcore zenolith_testsupport)
