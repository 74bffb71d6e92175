#pragma once
#include <cstdint>
#include <string>

class TComputePool;
class TFractArray;
class TOutputTarget;
class TPixelBuffer;
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

/// Writes `picture` (at least 1 x 1 pixels) as a PNG picture (8-bit RGB, the fourth byte of each
/// pixel dropped) onto `output`, compressed in stripes on the workers of `pool` as above.
/// Returns false with the output's reason when a write failed, else the encoder's (memory).
bool WritePixelsPng(const TPixelBuffer& picture, TComputePool& pool, TOutputTarget& output,
                    std::string& error);
