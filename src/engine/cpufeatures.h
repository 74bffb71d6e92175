#pragma once

/// The instruction sets the fast kernel has a build for, from the most portable up.
enum class TKernelIsa {
  Generic,  ///< any CPU: the compiler's baseline vectors (two doubles on x86-64)
  Avx2,     ///< four doubles per vector
  Avx512,   ///< eight doubles per vector, mask registers
};

/// Whether this build has a kernel for `isa` and the running CPU (and OS) can execute it.
bool CpuSupports(TKernelIsa isa);

/// The widest instruction set CpuSupports; Generic at worst.
TKernelIsa BestKernelIsa();

/// Short lower-case name for logs and benchmark labels ("generic", "avx2", "avx512").
const char* KernelIsaName(TKernelIsa isa);
