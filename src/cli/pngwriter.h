#pragma once
#include <string>

class TPixelBuffer;

/// Writes `surface` as a PNG picture (8-bit RGB). Returns false with the reason when the file
/// cannot be written. The only place of zenolith-render that uses Qt.
bool WritePng(const TPixelBuffer& surface, const std::string& path, std::string& error);
