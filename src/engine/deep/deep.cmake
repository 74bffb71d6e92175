# The deep kernel: reference orbits in MPFR, perturbation with skips, per-ISA vector loops.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZENOLITH_MPFR REQUIRED IMPORTED_TARGET mpfr gmp)
target_link_libraries(zengine PUBLIC PkgConfig::ZENOLITH_MPFR)
target_sources(zengine PRIVATE
  deep/TMpfr.cpp
  deep/TMpfrNumber.cpp
  deep/TGenericOrbit.cpp
  deep/genericdeep.cpp
  deep/TMpfrFormula.cpp
  deep/TDeepArea.cpp
  deep/TReferenceOrbit.cpp
  deep/TDeepPlan.cpp
  deep/deepzoom.cpp
  deep/deepbounds.cpp
  deep/mpfriteration.cpp
  deep/nucleus.cpp
  deep/deeplane.cpp
  deep/deepkernel.cpp
  deep/deepkernel_generic.cpp
  deep/deepkernel_avx2.cpp
  deep/deepkernel_avx512.cpp)

# As for the fast kernel: each instruction-set build gets its flags alone, no FMA contraction.
if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64|amd64")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/deep/deepkernel_avx2.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx2")
  set_source_files_properties(${CMAKE_CURRENT_SOURCE_DIR}/deep/deepkernel_avx512.cpp PROPERTIES
    COMPILE_OPTIONS "-mavx512f")
endif()
