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
  /// The confirmation of a detected cycle (cycletest.h) at band pixel (column, row): whether
  /// the cycle of `period` with newest point (re, im) and older points olderRe/olderIm[0 ..
  /// period - 2] (newest first) repels, so that the pixel goes on.
  bool (*Repels)(const TFastBand& band, int column, int row, double re, double im,
                 const double* olderRe, const double* olderIm, int32_t period);
  /// Continues band pixel (column, row) past a dropped cycle with the reference's code: from
  /// iterate (re, im), number `steps`, with `filled` real history entries hRe/hIm (newest
  /// first). Sets the cell values. False when the stop flag was seen first.
  bool (*Resume)(const TFastBand& band, int column, int row, double re, double im,
                 int64_t steps, const double* hRe, const double* hIm, int32_t filled,
                 float& depth, int32_t& period);
  const void* Params;  ///< what Repels and Resume read (the dispatcher's parameters)
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
