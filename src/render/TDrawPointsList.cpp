#include "render/TDrawPointsList.h"

#include <cmath>
#include <vector>

#include "core/linearmap.h"
#include "engine/TKernelParams.h"
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

void TDrawPointsList::Draw(TOrbitCanvas& canvas, const TRect& client,
                           const TKernelParams& area) const {
  std::vector<TPixel> markers;
  for (const TStartDrawPoint* orbit = Head.get(); orbit; orbit = orbit->GetNextOrbit()) {
    // Walked forward for the lines, then backward for the markers: the order in which drawing
    // each point's line, then the rest of the chain, then its marker would put them.
    markers.clear();
    const TDrawPoint* partner =
        orbit->GetRingLink() ? orbit->GetRingLink()->GetFirst() : nullptr;
    TPixel here = PixelOf(orbit->GetFirst()->X(), orbit->GetFirst()->Y(), client, area);
    for (const TDrawPoint* p = orbit->GetFirst(); p; p = p->GetNext()) {
      markers.push_back(here);
      if (partner) {
        const TPixel there = PixelOf(partner->X(), partner->Y(), client, area);
        canvas.Line(here.X, here.Y, there.X, there.Y, RingColour);
      }
      if (const TDrawPoint* next = p->GetNext()) {
        const TPixel after = PixelOf(next->X(), next->Y(), client, area);
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
