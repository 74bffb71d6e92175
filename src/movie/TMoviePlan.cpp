#include "movie/TMoviePlan.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "document/fractalfile.h"
#include "engine/TFormula.h"
#include "engine/deep/deepbounds.h"
#include "engine/deep/deepzoom.h"

namespace {

// Frames and keyframe sizes past these are mistakes, not movies.
constexpr int MaxSide = 32768;
constexpr double MaxFrames = 10'000'000;

// A view read in full: its centre and its size once widened to the frame's shape.
struct TFittedView {
  TMpfr CentreX{64}, CentreY{64}, Width{64}, Height{64};
};

// Reads the four bounds of `params` and widens the area around its centre to `keyWidth` over
// `keyHeight`. False with the reason when a bound is no plain decimal or the area is empty.
bool FitView(const TFractProps& params, int keyWidth, int keyHeight, mpfr_prec_t& precision,
             TFittedView& view, std::string& error) {
  const TDeepParams texts = params.DeepParams();
  const std::array<const std::string*, 4> sources = {&texts.Left, &texts.Top, &texts.Right,
                                                     &texts.Bottom};
  std::array<TMpfr, 4> bounds = {TMpfr(64), TMpfr(64), TMpfr(64), TMpfr(64)};
  for (size_t i = 0; i < 4; ++i) {
    std::string message;
    if (!ParseDecimal(*sources[i], bounds[i], message)) {
      error = "a bound of the view cannot be read: " + message;
      return false;
    }
    precision = std::max(precision, bounds[i].Precision() + 128);
  }
  for (TMpfr* value : {&view.CentreX, &view.CentreY, &view.Width, &view.Height})
    mpfr_set_prec(value->Get(), precision);
  mpfr_sub(view.Width.Get(), bounds[2].Get(), bounds[0].Get(), MPFR_RNDN);
  mpfr_sub(view.Height.Get(), bounds[1].Get(), bounds[3].Get(), MPFR_RNDN);
  if (mpfr_sgn(view.Width.Get()) <= 0 || mpfr_sgn(view.Height.Get()) <= 0) {
    error = "the view has no extent";
    return false;
  }
  mpfr_add(view.CentreX.Get(), bounds[0].Get(), bounds[2].Get(), MPFR_RNDN);
  mpfr_div_2ui(view.CentreX.Get(), view.CentreX.Get(), 1, MPFR_RNDN);
  mpfr_add(view.CentreY.Get(), bounds[1].Get(), bounds[3].Get(), MPFR_RNDN);
  mpfr_div_2ui(view.CentreY.Get(), view.CentreY.Get(), 1, MPFR_RNDN);
  // Widen whichever side is short of the shape: the whole view stays in the frame.
  TMpfr wide(precision);
  mpfr_mul_si(wide.Get(), view.Height.Get(), keyWidth, MPFR_RNDN);
  mpfr_div_si(wide.Get(), wide.Get(), keyHeight, MPFR_RNDN);
  if (mpfr_cmp(wide.Get(), view.Width.Get()) > 0) mpfr_set(view.Width.Get(), wide.Get(), MPFR_RNDN);
  mpfr_mul_si(view.Height.Get(), view.Width.Get(), keyHeight, MPFR_RNDN);
  mpfr_div_si(view.Height.Get(), view.Height.Get(), keyWidth, MPFR_RNDN);
  return true;
}

// The start's area when none is given: the formula's whole set.
TFractProps WholeView(const TFractProps& end) {
  TFractProps whole;
  if (end.MapField != TKernelParams::MapZ && end.Formula < Formulas.size()) {
    const TPlaneArea& area = Formulas[end.Formula].DefaultArea;
    whole.Left = area.Left;
    whole.Right = area.Right;
    whole.Top = area.Top;
    whole.Bottom = area.Bottom;
  }
  return whole;
}

// 64-bit FNV-1a.
uint64_t Hash(const std::string& text) {
  uint64_t hash = 14695981039346656037ull;
  for (const unsigned char c : text) {
    hash ^= c;
    hash *= 1099511628211ull;
  }
  return hash;
}

bool CheckSettings(const TMovieSettings& s, std::string& error) {
  if (s.Width < 2 || s.Height < 2 || s.Width > MaxSide || s.Height > MaxSide) {
    error = "the frame size must be from 2 to " + std::to_string(MaxSide) + " pixels a side";
    return false;
  }
  if (!(s.FramesPerSecond > 0 && s.FramesPerSecond <= 1000)) {
    error = "the frame rate must be above 0 and at most 1000 frames a second";
    return false;
  }
  if (!(s.Seconds >= 0 && std::isfinite(s.Seconds))) {
    error = "the length must be a positive number of seconds";
    return false;
  }
  if (s.Seconds == 0 && !(s.ZoomPerSecond > 1 && std::isfinite(s.ZoomPerSecond))) {
    error = "the zoom factor a second must be above 1";
    return false;
  }
  if (s.FullFrames || (s.KeyWidth == 0 && s.KeyHeight == 0)) return true;
  if (s.KeyWidth < 2 * s.Width || s.KeyHeight < 2 * s.Height || s.KeyWidth > MaxSide ||
      s.KeyHeight > MaxSide ||
      int64_t{s.KeyWidth} * s.Height != int64_t{s.KeyHeight} * s.Width) {
    error = "keyframes must be at least twice the frame's size, with the frame's shape";
    return false;
  }
  return true;
}

}  // namespace

bool TMoviePlan::Make(const TStoredFractal& end, const TFractProps* start,
                      const TMovieSettings& settings, TMoviePlan& plan, std::string& error) {
  if (!CheckSettings(settings, error)) return false;
  TMoviePlan made;
  made.End = end;
  made.Movie = settings;
  if (settings.FullFrames) {
    made.KeyW = settings.Width;
    made.KeyH = settings.Height;
  } else {
    made.KeyW = settings.KeyWidth > 0 ? settings.KeyWidth : 2 * settings.Width;
    made.KeyH = settings.KeyHeight > 0 ? settings.KeyHeight : 2 * settings.Height;
  }

  const TFractProps wide = start ? *start : WholeView(end.Params);
  mpfr_prec_t precision = 64;
  TFittedView e, s;
  if (!FitView(end.Params, made.KeyW, made.KeyH, precision, e, error)) return false;
  if (!FitView(wide, made.KeyW, made.KeyH, precision, s, error)) {
    error = "the wide view: " + error;
    return false;
  }
  TMpfr t(precision), span(precision);
  mpfr_div(t.Get(), s.Width.Get(), e.Width.Get(), MPFR_RNDN);
  mpfr_log2(t.Get(), t.Get(), MPFR_RNDN);
  made.ZoomLog2 = mpfr_get_d(t.Get(), MPFR_RNDN);
  // A zoom by less than 1/1000 of a doubling shows nothing and puts F far away.
  if (!(made.ZoomLog2 > 1e-3) || !std::isfinite(made.ZoomLog2)) {
    error = "the wide view must be wider than the fractal's view";
    return false;
  }

  // F is where the end's and the start's edges meet when extended: the same fraction of
  // both, U = (endLeft - startLeft) / (startWidth - endWidth), the same for the height.
  mpfr_sub(span.Get(), s.Width.Get(), e.Width.Get(), MPFR_RNDN);
  mpfr_sub(t.Get(), e.CentreX.Get(), s.CentreX.Get(), MPFR_RNDN);
  mpfr_div(t.Get(), t.Get(), span.Get(), MPFR_RNDN);
  made.FixedU = 0.5 + mpfr_get_d(t.Get(), MPFR_RNDN);
  mpfr_sub(span.Get(), s.Height.Get(), e.Height.Get(), MPFR_RNDN);
  mpfr_sub(t.Get(), s.CentreY.Get(), e.CentreY.Get(), MPFR_RNDN);
  mpfr_div(t.Get(), t.Get(), span.Get(), MPFR_RNDN);
  made.FixedV = 0.5 + mpfr_get_d(t.Get(), MPFR_RNDN);

  for (TMpfr* value : {&made.EndLeft, &made.EndTop, &made.EndWidth, &made.EndHeight})
    mpfr_set_prec(value->Get(), precision);
  mpfr_div_2ui(t.Get(), e.Width.Get(), 1, MPFR_RNDN);
  mpfr_sub(made.EndLeft.Get(), e.CentreX.Get(), t.Get(), MPFR_RNDN);
  mpfr_div_2ui(t.Get(), e.Height.Get(), 1, MPFR_RNDN);
  mpfr_add(made.EndTop.Get(), e.CentreY.Get(), t.Get(), MPFR_RNDN);
  mpfr_set(made.EndWidth.Get(), e.Width.Get(), MPFR_RNDN);
  mpfr_set(made.EndHeight.Get(), e.Height.Get(), MPFR_RNDN);

  const double seconds = settings.Seconds > 0
                             ? settings.Seconds
                             : made.ZoomLog2 / std::log2(settings.ZoomPerSecond);
  const double frames = std::round(seconds * settings.FramesPerSecond);
  if (!(frames <= MaxFrames)) {
    error = "the movie would have more than 10,000,000 frames";
    return false;
  }
  made.Frames = std::max(2, static_cast<int>(frames));
  made.Keys = settings.FullFrames ? made.Frames
                                  : static_cast<int>(std::ceil(made.ZoomLog2)) + 1;

  std::string endText;
  if (!FractalFileText(end, endText, error)) return false;
  const TDeepParams startTexts = wide.DeepParams();
  std::string identity = endText + "|" + startTexts.Left + "|" + startTexts.Top + "|" +
                         startTexts.Right + "|" + startTexts.Bottom + "|" +
                         std::to_string(made.KeyW) + "x" + std::to_string(made.KeyH);
  if (settings.FullFrames) identity += "|full|" + std::to_string(made.Frames);
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx",
                static_cast<unsigned long long>(Hash(identity)));
  made.Print = digits;
  plan = std::move(made);
  return true;
}

double TMoviePlan::ZoomPerFrame() const { return std::exp2(ZoomLog2 / (Frames - 1)); }

double TMoviePlan::FrameLog2Width(int index) const {
  // Counted from the deep end, whichever way the movie runs.
  const int fromEnd = Movie.ZoomIn ? Frames - 1 - index : index;
  if (fromEnd >= Frames - 1) return ZoomLog2;
  return ZoomLog2 * fromEnd / (Frames - 1);
}

TMoviePlan::TSource TMoviePlan::Frame(int index) const {
  TSource source;
  if (Movie.FullFrames) {
    source.Key = Movie.ZoomIn ? Frames - 1 - index : index;
    source.Width = KeyW;
    source.Height = KeyH;
    return source;
  }
  const double log2Width = FrameLog2Width(index);
  source.Key = std::max(0, static_cast<int>(std::ceil(log2Width)));
  // The frame is this part of its keyframe's width, from 1/2 (exclusive) to 1.
  const double part = std::exp2(log2Width - source.Key);
  source.Width = part * KeyW;
  source.Height = part * KeyH;
  source.Left = FixedU * KeyW * (1 - part);
  source.Top = FixedV * KeyH * (1 - part);
  return source;
}

bool TMoviePlan::Keyframe(int index, TStoredFractal& fractal, std::string& error) const {
  // The keyframe's width over the end's.
  double factor = std::ldexp(1.0, index);
  if (Movie.FullFrames) {
    const int fromEnd = index;
    factor = std::exp2(fromEnd >= Frames - 1 ? ZoomLog2 : ZoomLog2 * fromEnd / (Frames - 1));
  }
  const mpfr_prec_t precision = EndWidth.Precision();
  TMpfr width(precision), height(precision), left(precision), top(precision), t(precision);
  mpfr_mul_d(width.Get(), EndWidth.Get(), factor, MPFR_RNDN);
  mpfr_mul_d(height.Get(), EndHeight.Get(), factor, MPFR_RNDN);
  // F stays at (U, V): each edge moves out by its share of the growth.
  mpfr_sub(t.Get(), width.Get(), EndWidth.Get(), MPFR_RNDN);
  mpfr_mul_d(t.Get(), t.Get(), FixedU, MPFR_RNDN);
  mpfr_sub(left.Get(), EndLeft.Get(), t.Get(), MPFR_RNDN);
  mpfr_sub(t.Get(), height.Get(), EndHeight.Get(), MPFR_RNDN);
  mpfr_mul_d(t.Get(), t.Get(), FixedV, MPFR_RNDN);
  mpfr_add(top.Get(), EndTop.Get(), t.Get(), MPFR_RNDN);
  TMpfr right(precision), bottom(precision);
  mpfr_add(right.Get(), left.Get(), width.Get(), MPFR_RNDN);
  mpfr_sub(bottom.Get(), top.Get(), height.Get(), MPFR_RNDN);

  TDeepParams area = End.Params.DeepParams();
  area.XResolution = KeyW;
  area.YResolution = KeyH;
  const int digits = static_cast<int>(precision * 0.30103) + 2;
  area.Left = DecimalText(left, digits);
  area.Top = DecimalText(top, digits);
  area.Right = DecimalText(right, digits);
  area.Bottom = DecimalText(bottom, digits);
  const TBoundTexts texts = RoundedDeepBounds(area);
  TStoredFractal made = End;
  made.Params.XResolution.SetInt(KeyW);
  made.Params.YResolution.SetInt(KeyH);
  if (!made.Params.SetDeepArea(texts[0], texts[1], texts[2], texts[3], error)) return false;
  // What the keyframe's fractal file says is what is computed.
  std::string bytes;
  if (!FractalFileText(made, bytes, error)) return false;
  std::istringstream in(bytes);
  TStoredFractal read = End;
  if (!ReadFractalStream(in, read, error)) return false;
  fractal = std::move(read);
  return true;
}
