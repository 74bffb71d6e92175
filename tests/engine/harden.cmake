# hostile parameters: edge values, refusals, stopping deep computations
zenolith_add_test(test_engine_hostile
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_hostile_params.cpp
  LIBS zengine zcore)
