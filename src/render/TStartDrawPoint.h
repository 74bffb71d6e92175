#pragma once
#include <memory>

#include "engine/complexmath.h"
#include "render/TDeepOrbit.h"
#include "render/TDrawPoint.h"

class TDrawPointsList;
struct TKernelParams;

/// One orbit: its chain of points from the clicked point on, the constants c and d it is
/// iterated with, and its place in the list's chain of orbits (newest first), which it owns
/// from itself on.
class TStartDrawPoint {
public:
  /// An orbit of the single point (x, y) in front of `nextOrbit` (the older orbits, taken
  /// over). `list` is not owned.
  TStartDrawPoint(double x, double y, TComplex c, TComplex d, bool mark, TDrawPointsList* list,
                  std::unique_ptr<TStartDrawPoint> nextOrbit);
  /// Destroys its points and the older orbits one by one (no recursion over the chain).
  ~TStartDrawPoint();
  TStartDrawPoint(const TStartDrawPoint&) = delete;
  TStartDrawPoint& operator=(const TStartDrawPoint&) = delete;

  TDrawPoint* GetFirst() const { return First.get(); }
  /// The newest point of the orbit.
  TDrawPoint* GetLast() const { return Last; }
  /// Number of points.
  int Length() const { return Count; }
  /// The next older orbit, or null.
  TStartDrawPoint* GetNextOrbit() const { return NextOrbit.get(); }

  /// Set while the orbit waits to be joined into a ring by the list's Group().
  bool GetMark() const { return Mark; }
  void SetMark(bool mark) { Mark = mark; }
  /// The orbit whose points this one's are joined to, or null; not owned.
  TStartDrawPoint* GetRingLink() const { return RingLink; }
  void SetRingLink(TStartDrawPoint* orbit) { RingLink = orbit; }

  /// The constants c and d of the iteration.
  TComplex C() const { return ConstC; }
  TComplex D() const { return ConstD; }
  TDrawPointsList* GetList() const { return List; }

  /// Appends the next iterate of the last point: FormulaStep with this orbit's c and d and the
  /// formula and exponents of `params`. A step that overflows or is invalid appends nothing
  /// and returns false. An orbit that started in a deep view iterates in MPFR instead, with
  /// the deep formulas only (another formula appends nothing).
  bool AddNextPoint(const TKernelParams& params);
  /// Makes the orbit one of a deep view (taking `deep`, whose iterate must be this orbit's
  /// single point); null for none.
  void SetDeep(std::unique_ptr<TDeepOrbit> deep) { Deep = std::move(deep); }
  /// The MPFR iteration of an orbit started in a deep view, or null.
  const TDeepOrbit* GetDeep() const { return Deep.get(); }

private:
  std::unique_ptr<TDrawPoint> First;
  TDrawPoint* Last;
  int Count = 1;
  std::unique_ptr<TStartDrawPoint> NextOrbit;
  TDrawPointsList* List;
  bool Mark;
  TStartDrawPoint* RingLink = nullptr;
  TComplex ConstC;
  TComplex ConstD;
  std::unique_ptr<TDeepOrbit> Deep;
};
