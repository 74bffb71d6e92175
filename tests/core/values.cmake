# values and helpers tests
zenolith_add_test(test_core_values
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_values.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_values_helpers.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_values_bounds.cpp
  LIBS zcore zenolith_testsupport)
