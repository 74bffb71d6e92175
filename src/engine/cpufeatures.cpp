#include "engine/cpufeatures.h"

bool CpuSupports(TKernelIsa isa) {
  switch (isa) {
    case TKernelIsa::Generic:
      return true;
#if defined(__x86_64__) && defined(__GNUC__)
    // These checks include the operating system's saving of the wide registers.
    case TKernelIsa::Avx2:
      return __builtin_cpu_supports("avx2");
    case TKernelIsa::Avx512:
      return __builtin_cpu_supports("avx512f");
#else
    case TKernelIsa::Avx2:
    case TKernelIsa::Avx512:
      return false;
#endif
  }
  return false;
}

TKernelIsa BestKernelIsa() {
  if (CpuSupports(TKernelIsa::Avx512)) return TKernelIsa::Avx512;
  if (CpuSupports(TKernelIsa::Avx2)) return TKernelIsa::Avx2;
  return TKernelIsa::Generic;
}

const char* KernelIsaName(TKernelIsa isa) {
  switch (isa) {
    case TKernelIsa::Generic:
      return "generic";
    case TKernelIsa::Avx2:
      return "avx2";
    case TKernelIsa::Avx512:
      return "avx512";
  }
  return "unknown";
}
