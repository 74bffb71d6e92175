zenolith_add_test(test_engine_kernels SOURCES test_kernels.cpp test_formulas.cpp
  test_cycletest.cpp LIBS zengine)
zenolith_add_test(test_engine_thread SOURCES test_thread.cpp
  test_thread_pool.cpp test_computepool.cpp LIBS zengine)
zenolith_add_test(test_engine_fastkernel SOURCES test_fastkernel.cpp LIBS zengine)
add_test(NAME FastKernelHasNoFma
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} -DNM=${CMAKE_NM}
    "-DOBJECTS=$<TARGET_OBJECTS:zengine>"
    -P ${CMAKE_CURRENT_SOURCE_DIR}/CheckNoFma.cmake)
