zenolith_add_test(test_engine_kernels SOURCES test_kernels.cpp LIBS zengine)
zenolith_add_test(test_engine_thread SOURCES test_thread.cpp test_thread_callqueue.cpp
  LIBS zengine)
