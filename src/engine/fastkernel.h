#pragma once
#include <atomic>

#include "engine/TColumnSink.h"
#include "engine/TKernelParams.h"
#include "engine/cpufeatures.h"
#include "engine/kernels.h"

class TFractArray;

// The fast kernel: the reference kernel's results bit for bit, several pixels per vector with
// lanes refilled as their pixels finish. Settings the vector builds do not cover run the
// reference per pixel.

/// Whether the vector builds cover these parameters: every formula, MaxDepth of at least 2,
/// MaxCycle up to FastMaxCycle, exponents of at least 1.
bool FastKernelVectorises(const TKernelParams& params);

/// Computes `band` (clipped to the array) as ComputeBand does, with the instruction set `isa`
/// (CpuSupports must hold; fatal assertion otherwise). Cells are stored in any order; every
/// finished column x is reported to `sink` at once (in any order), and only finished columns
/// are. Returns false when `stop` was seen before the band was complete. Does not touch
/// ColumnsDone.
bool ComputeBandColumns(const TKernelParams& params, TFractArray& array, TBand band, int width,
                        const std::atomic<bool>* stop, TColumnSink& sink,
                        TKernelIsa isa = BestKernelIsa());

/// The contract of ComputeBand (same cells, same stop behaviour, ColumnsDone raised to x + 1
/// after each finished column x, left to right) with the fast kernel of `isa`.
bool ComputeBandFast(const TKernelParams& params, TFractArray& array, TBand band, int width,
                     const std::atomic<bool>* stop = nullptr, TKernelIsa isa = BestKernelIsa());
