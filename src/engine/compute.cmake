target_sources(zengine PRIVATE
  TFractArray.cpp
  TColumnsDone.cpp
  TFormula.cpp
  formulasteps.cpp
  cycletest.cpp
  kernels.cpp
  realfunctions.cpp
  TCallQueue.cpp
  TThreadVolumeWriter.cpp
  computearray.cpp
  TComputePool.cpp
  cpufeatures.cpp
  fastkernel.cpp
  fastkernel_generic.cpp
  fastkernel_avx2.cpp
  fastkernel_avx512.cpp)

# The transcendental functions of both kernels: SLEEF's deterministic builds.
find_package(PkgConfig REQUIRED)
pkg_check_modules(SLEEF REQUIRED IMPORTED_TARGET sleef)
target_link_libraries(zengine PRIVATE PkgConfig::SLEEF)

# Each instruction-set build of the fast kernel gets its flags alone; the rest of the program
# stays on the baseline. The global -ffp-contract=off keeps every product rounded before its
# sum, as in the reference (the test FastKernelHasNoFma checks the objects). -mno-fma is not
# used: some compilers would drop AVX-512 with it.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/fastkernel_avx2.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx2")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/fastkernel_avx512.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx512f")
endif()

# The fuzzers only read files and run the reference kernel; clang spends minutes optimising the
# fast kernels' instantiations, so a fuzzing build compiles them unoptimised.
if(ZENOLITH_FUZZ)
  foreach(_kernel fastkernel_generic fastkernel_avx2 fastkernel_avx512)
    set_property(SOURCE ${CMAKE_CURRENT_SOURCE_DIR}/${_kernel}.cpp APPEND PROPERTY
      COMPILE_OPTIONS "-O0")
  endforeach()
endif()
