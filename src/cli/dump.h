#pragma once
#include <string>

class TFractArray;
class TOutputTarget;

/// Writes the finished columns of `array` as tab-separated text: the header
/// "x<TAB>y<TAB>depth<TAB>cycle", then one line per cell, columns left to right and rows top
/// to bottom within a column; the depth with 9 significant digits, so that the float reads back
/// exactly. Lines end with LF. The text goes onto `output`, which the caller has opened and
/// finishes; returns false with the output's reason when a write fails.
bool WriteDump(const TFractArray& array, TOutputTarget& output, std::string& error);
