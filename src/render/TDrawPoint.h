#pragma once
#include <memory>

class TStartDrawPoint;

/// One point of an orbit, in plane coordinates; owns the points after it.
class TDrawPoint {
public:
  /// A point (x real part, y imaginary part) of `orbit`, with no next point; an orbit that
  /// started in a deep view also gives the point's offset from its start (plane units).
  TDrawPoint(double x, double y, TStartDrawPoint* orbit, long double offsetX = 0.0L,
             long double offsetY = 0.0L);
  /// Destroys the points after it one by one, so a long orbit cannot exhaust the stack.
  ~TDrawPoint();
  TDrawPoint(const TDrawPoint&) = delete;
  TDrawPoint& operator=(const TDrawPoint&) = delete;

  double X() const { return PointX; }
  double Y() const { return PointY; }
  /// The offset from the start of a deep orbit (TStartDrawPoint::GetDeep), else 0.
  long double OffsetX() const { return OffX; }
  long double OffsetY() const { return OffY; }
  /// The following iterate, or null.
  TDrawPoint* GetNext() const { return Next.get(); }
  /// Links `point` (taking ownership) after this one; returns it. This point must be last.
  TDrawPoint* Append(std::unique_ptr<TDrawPoint> point);
  /// The orbit this point belongs to; not owned.
  TStartDrawPoint* GetOrbit() const { return Orbit; }

private:
  double PointX;
  double PointY;
  long double OffX;
  long double OffY;
  std::unique_ptr<TDrawPoint> Next;
  TStartDrawPoint* Orbit;
};
