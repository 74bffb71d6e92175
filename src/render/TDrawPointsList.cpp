#include "render/TDrawPointsList.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "core/linearmap.h"
#include "engine/TKernelParams.h"
#include "engine/deep/deepzoom.h"
#include "render/TOrbitCanvas.h"

namespace {

// Leaves room for the marker offsets and for a canvas's own arithmetic.
constexpr long double PixelLimit = 1073741824.0L;  // 2^30

int PinnedPixel(long double v, int fallback) {
  if (std::isnan(v)) return fallback;
  if (v <= -PixelLimit) return -static_cast<int>(PixelLimit);
  if (v >= PixelLimit) return static_cast<int>(PixelLimit);
  return static_cast<int>(v);
}

}  // namespace

TDrawPointsList::TDrawPointsList() = default;
TDrawPointsList::~TDrawPointsList() = default;

TStartDrawPoint* TDrawPointsList::AddOrbit(double x, double y, bool mark,
                                           const TKernelParams& params) {
  const TComplex point{x, y};
  const TComplex c = params.MapField == TKernelParams::MapC ? point : TComplex{params.CR, params.CI};
  const TComplex d = params.MapField == TKernelParams::MapD ? point : TComplex{params.DR, params.DI};
  return AddOrbit(x, y, c, d, mark);
}

TStartDrawPoint* TDrawPointsList::AddOrbit(double x, double y, TComplex c, TComplex d,
                                           bool mark) {
  Head = std::make_unique<TStartDrawPoint>(x, y, c, d, mark, this, std::move(Head));
  return Head.get();
}

TStartDrawPoint* TDrawPointsList::AddDeepOrbit(const std::string& re, const std::string& im,
                                               bool mark, const TKernelParams& params) {
  std::unique_ptr<TDeepOrbit> deep =
      TDeepOrbit::Create(re, im, params.MapField, {params.CR, params.CI}, {params.DR, params.DI});
  if (!deep) return nullptr;
  TStartDrawPoint* orbit = AddOrbit(deep->X(), deep->Y(), mark, params);
  orbit->SetDeep(std::move(deep));
  return orbit;
}

void TDrawPointsList::AddNextPoints(const TKernelParams& params) {
  for (TStartDrawPoint* orbit = Head.get(); orbit; orbit = orbit->GetNextOrbit())
    orbit->AddNextPoint(params);
}

void TDrawPointsList::Group() {
  TStartDrawPoint* const first = Head.get();
  if (first == nullptr) return;
  TStartDrawPoint* o = first;
  for (TStartDrawPoint* n = o->GetNextOrbit(); n && n->GetMark(); n = o->GetNextOrbit()) {
    o->SetRingLink(n);
    o->SetMark(false);
    o = n;
  }
  if (o != first) o->SetRingLink(first);
  o->SetMark(false);
}

void TDrawPointsList::Clear() { Head.reset(); }

int TDrawPointsList::Count() const {
  int count = 0;
  for (const TStartDrawPoint* orbit = Head.get(); orbit; orbit = orbit->GetNextOrbit()) ++count;
  return count;
}

TDrawPointsList::TPixel TDrawPointsList::PixelOf(double x, double y, const TRect& client,
                                                 const TKernelParams& area) {
  return {PinnedPixel(LinearMap(x, area.Left, area.Right, client.Left, client.Right),
                      client.Left),
          PinnedPixel(LinearMap(y, area.Top, area.Bottom, client.Top, client.Bottom),
                      client.Top)};
}

namespace {

// Where the points of one orbit fall in a deep view: the orbit's start as a pixel position and
// the pixels per plane unit, from the area in MPFR; each point adds its offset from the start.
class TDeepPlacement {
public:
  // False when a bound is not a plain decimal.
  bool Read(const TDeepParams& area) {
    std::string message;
    return ParseDecimal(area.Left, Left, message) && ParseDecimal(area.Right, Right, message) &&
           ParseDecimal(area.Top, Top, message) && ParseDecimal(area.Bottom, Bottom, message);
  }

  void Start(const TStartDrawPoint& orbit, const TRect& client) {
    const mpfr_prec_t precision =
        std::max({Left.Precision(), Right.Precision(), Top.Precision(), Bottom.Precision(),
                  orbit.GetDeep() ? orbit.GetDeep()->Anchor().Re.Precision() : 64}) + 64;
    TMpfr re(precision), im(precision);
    if (const TDeepOrbit* deep = orbit.GetDeep()) {
      mpfr_set(re.Get(), deep->Anchor().Re.Get(), MPFR_RNDN);
      mpfr_set(im.Get(), deep->Anchor().Im.Get(), MPFR_RNDN);
    } else {
      mpfr_set_d(re.Get(), orbit.GetFirst()->X(), MPFR_RNDN);
      mpfr_set_d(im.Get(), orbit.GetFirst()->Y(), MPFR_RNDN);
    }
    Deep = orbit.GetDeep() != nullptr;
    FirstX = orbit.GetFirst()->X();
    FirstY = orbit.GetFirst()->Y();
    Axis(re, Left, Right, client.Left, client.Right, precision, StartX, ScaleX);
    Axis(im, Top, Bottom, client.Top, client.Bottom, precision, StartY, ScaleY);
  }

  TDrawPointsList::TPixel PixelOf(const TDrawPoint& p, const TRect& client) const {
    const long double dx = Deep ? p.OffsetX() : static_cast<long double>(p.X()) - FirstX;
    const long double dy = Deep ? p.OffsetY() : static_cast<long double>(p.Y()) - FirstY;
    return {PinnedPixel(StartX + dx * ScaleX, client.Left),
            PinnedPixel(StartY + dy * ScaleY, client.Top)};
  }

private:
  // `start` as a pixel of the axis from `begin` (pixel `from`) to `end` (pixel `to`), and the
  // pixels per plane unit.
  static void Axis(const TMpfr& start, const TMpfr& begin, const TMpfr& end, int from, int to,
                   mpfr_prec_t precision, long double& pixel, long double& scale) {
    TMpfr extent(precision), t(precision);
    mpfr_sub(extent.Get(), end.Get(), begin.Get(), MPFR_RNDN);
    mpfr_sub(t.Get(), start.Get(), begin.Get(), MPFR_RNDN);
    mpfr_mul_si(t.Get(), t.Get(), to - from, MPFR_RNDN);
    mpfr_div(t.Get(), t.Get(), extent.Get(), MPFR_RNDN);
    pixel = from + mpfr_get_ld(t.Get(), MPFR_RNDN);
    mpfr_si_div(t.Get(), to - from, extent.Get(), MPFR_RNDN);
    scale = mpfr_get_ld(t.Get(), MPFR_RNDN);
  }

  TMpfr Left{64}, Right{64}, Top{64}, Bottom{64};
  bool Deep = false;
  double FirstX = 0.0, FirstY = 0.0;
  long double StartX = 0.0L, StartY = 0.0L, ScaleX = 0.0L, ScaleY = 0.0L;
};

}  // namespace

void TDrawPointsList::Draw(TOrbitCanvas& canvas, const TRect& client, const TKernelParams& area,
                           const TDeepParams* deepArea) const {
  TDeepPlacement deep;
  const bool placeDeep = deepArea && deep.Read(*deepArea);
  const auto pixelOf = [&](const TDrawPoint& p) {
    return placeDeep ? deep.PixelOf(p, client) : PixelOf(p.X(), p.Y(), client, area);
  };
  std::vector<TPixel> markers;
  for (const TStartDrawPoint* orbit = Head.get(); orbit; orbit = orbit->GetNextOrbit()) {
    // Walked forward for the lines, then backward for the markers: the order in which drawing
    // each point's line, then the rest of the chain, then its marker would put them.
    markers.clear();
    if (placeDeep) deep.Start(*orbit, client);
    const TStartDrawPoint* partnerOrbit = orbit->GetRingLink();
    const TDrawPoint* partner = partnerOrbit ? partnerOrbit->GetFirst() : nullptr;
    // A ring partner's points are placed by its own start.
    TDeepPlacement partnerPlace;
    if (placeDeep && partnerOrbit) {
      partnerPlace.Read(*deepArea);
      partnerPlace.Start(*partnerOrbit, client);
    }
    TPixel here = pixelOf(*orbit->GetFirst());
    for (const TDrawPoint* p = orbit->GetFirst(); p; p = p->GetNext()) {
      markers.push_back(here);
      if (partner) {
        const TPixel there = placeDeep ? partnerPlace.PixelOf(*partner, client)
                                       : PixelOf(partner->X(), partner->Y(), client, area);
        canvas.Line(here.X, here.Y, there.X, there.Y, RingColour);
      }
      if (const TDrawPoint* next = p->GetNext()) {
        const TPixel after = pixelOf(*next);
        canvas.Line(here.X, here.Y, after.X, after.Y, OrbitColour);
        here = after;
      }
      partner = partner ? partner->GetNext() : nullptr;
    }
    for (auto m = markers.rbegin(); m != markers.rend(); ++m) {
      canvas.Ellipse(m->X - 3, m->Y - 3, m->X + 3, m->Y + 3, OrbitColour);
      canvas.Ellipse(m->X - 2, m->Y - 2, m->X + 2, m->Y + 2, MarkerInnerColour);
    }
  }
}
