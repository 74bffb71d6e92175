#pragma once
#include <cstdint>
#include <string>

class TComputePool;
class TFractArray;
class TOutputTarget;
class TVoldViewProps;

/// Paints the complete `array` stretched over a picture of `width` x `height` pixels with the
/// colouring `view` (and the parameters' `maxCycle`), exactly as a fractal view of that size
/// shows it, and writes it as a PNG picture (8-bit RGB) onto `output`, which the caller has
/// opened and finishes. The picture is cut into stripes of rows that the workers of `pool`
/// paint and compress side by side while this thread writes the finished ones in order.
/// Returns false with the reason: the output's own (the system's words) when a write failed,
/// else the encoder's (memory).
bool WritePicturePng(const TFractArray& array, const TVoldViewProps& view, int32_t maxCycle,
                     int width, int height, TComputePool& pool, TOutputTarget& output,
                     std::string& error);
