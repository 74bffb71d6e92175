#include "cli/inputfile.h"

#include "core/TErrorReport.h"
#include "document/TStoredFractal.h"
#include "document/fractalfile.h"

bool ReadInputFile(const std::string& path, TStoredFractal& fractal) {
  std::string reason;
  if (ReadFractalFile(path, fractal, reason)) return true;
  TErrorReport::CannotRead(path, reason);
  return false;
}
