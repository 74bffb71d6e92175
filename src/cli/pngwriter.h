#pragma once
#include <string>

class TOutputTarget;
class TPixelBuffer;

/// Encodes `surface` as a PNG picture (8-bit RGB, fast compression) onto `output`, which the
/// caller has opened and finishes. Returns false with the reason: the output's own (the
/// system's words) when a write failed, else the encoder's.
bool WritePng(const TPixelBuffer& surface, TOutputTarget& output, std::string& error);
