#pragma once
#include <string>

class TFractArray;

/// Writes the finished columns of `array` as tab-separated text: the header
/// "x<TAB>y<TAB>depth<TAB>cycle", then one line per cell, columns left to right and rows top
/// to bottom within a column; the depth with 9 significant digits, so that the float reads back
/// exactly. Lines end with LF. Returns false with a reason when the file cannot be written.
bool WriteDump(const TFractArray& array, const std::string& path, std::string& error);
