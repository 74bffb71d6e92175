#pragma once
#include <cstdint>

#include "engine/deep/deeplane.h"

// Between the deep kernel's dispatcher and its builds for each instruction set: plain data and
// the scalar lane functions (compiled once, with the baseline flags). The instruction-set files
// must not share inline code with the rest of the program.

/// Longest cycle history the vector builds keep per lane; deeper detection runs per pixel.
constexpr int DeepVectorMaxCycle = 64;

/// Lanes the dispatcher provides (at least the widest build's vectors times its chains).
constexpr int DeepMaxLanes = 32;

/// One band, prepared for an instruction-set build. Columns and rows are band-relative.
struct TDeepBandJob {
  const TDeepContext* Context;
  TDeepLane* Lanes;        ///< DeepMaxLanes lanes, history buffers set
  int Columns, Rows;       ///< band size, both >= 1
  float* Depths;           ///< cell of the band's first column and row
  int32_t* Cycles;         ///< likewise
  int64_t Stride;          ///< cells from one column to the next
  int* Remaining;          ///< scratch, Columns entries: cells still to compute per column
  void (*ColumnDone)(void* context, int column);  ///< band-relative column, all cells stored
  void* Sink;
  TDeepStats* Stats;  ///< this band's counters (added to)
};

/// Each computes `band` completely (true) or returns false when the stop flag was seen first;
/// the cells of columns not reported done are then unspecified. Call only where CpuSupports.
bool DeepBandGeneric(const TDeepBandJob& band);
bool DeepBandAvx2(const TDeepBandJob& band);
bool DeepBandAvx512(const TDeepBandJob& band);
