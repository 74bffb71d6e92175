zenolith_add_test(test_engine_deepkernel SOURCES test_deepkernel.cpp test_deepview.cpp
  test_genericdeep.cpp LIBS zengine)
# The deep kernel's vector builds must compute what its scalar code computes: no fused
# multiply-add in any of them.
add_test(NAME DeepKernelHasNoFma
  COMMAND ${CMAKE_COMMAND} -DOBJDUMP=${CMAKE_OBJDUMP} "-DOBJECTS=$<TARGET_OBJECTS:zengine>"
    -DPATTERN=deepkernel|deeplane -P ${CMAKE_CURRENT_SOURCE_DIR}/CheckNoFma.cmake)
