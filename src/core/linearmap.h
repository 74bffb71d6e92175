#pragma once

/// The linear map between two scales, in extended precision and unrounded:
/// toBegin + (v - fromBegin) / (fromEnd - fromBegin) * (toEnd - toBegin).
/// fromBegin must differ from fromEnd (not checked). Extrapolates outside the first scale.
inline long double LinearMap(long double v, long double fromBegin, long double fromEnd,
                             long double toBegin, long double toEnd) {
  return toBegin + (v - fromBegin) / (fromEnd - fromBegin) * (toEnd - toBegin);
}
