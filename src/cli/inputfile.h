#pragma once
#include <string>

class TStoredFractal;

/// Reads the fractal file `path` named on the command line into `fractal`; on failure shows
/// the program's "Cannot read the file" message on standard error and returns false.
bool ReadInputFile(const std::string& path, TStoredFractal& fractal);
