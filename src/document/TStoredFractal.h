#pragma once
#include "engine/TFractProps.h"
#include "render/TVoldViewProps.h"

/// The two records a fractal file stores: the parameters and the colouring of one view. A
/// value type: a window hands one in to be saved and takes one out of a file read
/// (document/fractalfile.h); the command-line renderer and the tests work on it directly.
class TStoredFractal {
public:
  TStoredFractal() = default;
  TStoredFractal(const TFractProps& params, const TVoldViewProps& view)
      : Params(params), View(view) {}

  TFractProps Params;
  TVoldViewProps View;
};
