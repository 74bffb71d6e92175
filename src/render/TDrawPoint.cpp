#include "render/TDrawPoint.h"

#include "core/assertions.h"

TDrawPoint::TDrawPoint(double x, double y, TStartDrawPoint* orbit, long double offsetX,
                       long double offsetY)
    : PointX(x), PointY(y), OffX(offsetX), OffY(offsetY), Orbit(orbit) {}

TDrawPoint::~TDrawPoint() {
  // Each node is freed after its successor was taken from it, so no destructor recurses.
  std::unique_ptr<TDrawPoint> rest = std::move(Next);
  while (rest) rest = std::move(rest->Next);
}

TDrawPoint* TDrawPoint::Append(std::unique_ptr<TDrawPoint> point) {
  ZASSERT(Next == nullptr);
  Next = std::move(point);
  return Next.get();
}
