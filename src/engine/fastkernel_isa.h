#pragma once
#include <atomic>
#include <cstdint>

// Between the fast kernel's dispatcher and its builds for each instruction set. Only plain data
// crosses here: the instruction-set files are compiled with wider flags and must not share
// inline code with the rest of the program.

/// Longest cycle history the vector builds keep per lane; deeper detection runs per pixel.
constexpr int FastMaxCycle = 64;

/// Cycle histories up to this depth are kept in vector registers; deeper ones in memory.
constexpr int FastRegisterCycle = 4;

/// One band, prepared for an instruction-set build. Columns and rows are band-relative.
struct TFastBand {
  int Formula;       ///< index into Formulas, one with a vector step
  int MapField;      ///< TKernelParams::MapZ, MapC or MapD
  int32_t N, M;      ///< exponents, >= 1
  int32_t MaxCycle;  ///< 0 .. FastMaxCycle
  int32_t MaxDepth;  ///< >= 2
  double CR, CI, DR, DI;
  double Outer2;      ///< OuterCircle squared
  double Inner2;      ///< InnerDist squared
  double LogOuter2;   ///< log(Outer2)
  bool Fractional;    ///< whether an escape gets the fractional correction
  double EscapeK;     ///< its factor
  const double* ColumnRe;  ///< real part of each band column's points
  const double* RowIm;     ///< imaginary part of each band row's points
  int Columns, Rows;       ///< band size, both >= 1
  float* Depths;           ///< cell of the band's first column and row
  int32_t* Cycles;         ///< likewise
  int64_t Stride;          ///< cells from one column to the next
  int* Remaining;          ///< scratch, Columns entries: cells still to compute per column
  const std::atomic<bool>* Stop;  ///< may be null
  void (*ColumnDone)(void* context, int column);  ///< band-relative column, all cells stored
  void* Context;
};

/// Each computes `band` completely (true) or returns false when `Stop` was seen first; the
/// cells of columns not reported done are then unspecified. Call only where CpuSupports.
bool FastBandGeneric(const TFastBand& band);
bool FastBandAvx2(const TFastBand& band);
bool FastBandAvx512(const TFastBand& band);

/// The transcendental functions of the vector builds (sin and cos come from one sincos).
enum class TFastFunction { Exp, Sin, Cos, Sinh, Cosh, Pow, Asin };

/// Each sets out[i] to `function` of x[i] (Pow: x[i] to the power y[i]; y is read only for
/// Pow) for i < count, a vector of arguments at a time, as the kernel computes it. For tests
/// against the reference's scalar functions. Call only where CpuSupports.
void FastFunctionsGeneric(TFastFunction function, const double* x, const double* y, double* out,
                          int count);
void FastFunctionsAvx2(TFastFunction function, const double* x, const double* y, double* out,
                       int count);
void FastFunctionsAvx512(TFastFunction function, const double* x, const double* y, double* out,
                         int count);
