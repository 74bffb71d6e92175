#include "gui/view/viewstatus.h"

#include <algorithm>
#include <cmath>

#include "core/linearmap.h"
#include "core/numberformat.h"
#include "engine/TFractProps.h"
#include "engine/deep/deepbounds.h"
#include "gui/view/TViewWave.h"

namespace {

// Six significant digits, whatever the size of the number (cut, not rounded).
std::string SignificantText(double x) {
  if (x == 0 || !std::isfinite(x)) return FormatFixed(x, 1, 0, 0);
  const int leading = static_cast<int>(std::floor(std::log10(std::fabs(x))));
  return FormatFixed(x, 1, 0, std::max(0, 5 - leading));
}

}  // namespace

std::string PlanePointText(const TFractProps& params, int x, int y, int width, int height) {
  if (width <= 0 || height <= 0) return std::string();
  if (params.UsesDeepKernel()) {
    const TDeepParams deep = params.DeepParams();
    return DeepPointText(deep, x, y, width, height) + " (" + DeepWidthText(deep) + ")";
  }
  // The same point a click there would take.
  const double re = static_cast<double>(
      LinearMap(x, 0, width, params.Left.GetDouble(), params.Right.GetDouble()));
  const double im = static_cast<double>(
      LinearMap(y, 0, height, params.Top.GetDouble(), params.Bottom.GetDouble()));
  return SignificantText(re) + ", " + SignificantText(im);
}

size_t PlanePointWidthStart(const std::string& text) {
  if (text.empty() || text.back() != ')') return std::string::npos;
  return text.rfind(" (width ");
}

std::string DurationText(int64_t milliseconds) {
  const int64_t hundredths = std::max<int64_t>(milliseconds, 0) / 10;
  const int64_t fraction = hundredths % 100;
  return std::to_string(hundredths / 100) + (fraction < 10 ? ".0" : ".") +
         std::to_string(fraction) + " s";
}

std::array<std::string, 3> ViewStatusTexts(const TViewWave& view) {
  std::array<std::string, 3> texts;
  int x = 0;
  int y = 0;
  if (view.MousePosition(x, y))
    texts[0] = PlanePointText(view.GetParams(), x, y, view.width(), view.height());
  const int percent = view.ProgressPercent();
  if (percent >= 0) texts[1] = std::to_string(percent) + "%";
  const int64_t time = view.ComputeMilliseconds();
  if (time >= 0) texts[2] = DurationText(time);
  return texts;
}
