#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/complexmath.h"

class TDrawPointsList;
class TStartDrawPoint;
struct TKernelParams;

/// One step that changed the orbit points of a view.
struct TOrbitStep {
  enum TKind : uint8_t { Start, Next, Group };
  TKind Kind = Start;
  /// Start: the clicked plane point, the constants of the orbit and its grouping mark.
  double X = 0.0;
  double Y = 0.0;
  TComplex C{0.0, 0.0};
  TComplex D{0.0, 0.0};
  bool Mark = false;
  /// Start in a deep view: the clicked point in full (plain decimal texts; empty for an orbit of
  /// doubles) and which constant it is as well (TKernelParams::MapField).
  std::string DeepX, DeepY;
  int DeepMap = 0;
  /// Next: the formula and exponents the step iterated with.
  int32_t N = 0;
  int32_t M = 0;
  int Formula = 0;

  bool operator==(const TOrbitStep& other) const;
};

/// The orbit points of a view kept as the steps that built them from an empty list. Every
/// iterate is a pure function of the steps before it, so replaying them rebuilds the list bit
/// for bit; that is how an undo puts earlier orbits back. All changes of the list must go
/// through this object. Steps that change nothing are not kept.
class TOrbitJournal {
public:
  /// Starts an orbit at the plane point (x, y) as TDrawPointsList::AddOrbit does; returns it.
  TStartDrawPoint* AddOrbit(TDrawPointsList& list, double x, double y, bool mark,
                            const TKernelParams& params);
  /// Starts an orbit at a deep view's point given in full, as TDrawPointsList::AddDeepOrbit
  /// does; returns it, or null (nothing kept) when it cannot start.
  TStartDrawPoint* AddDeepOrbit(TDrawPointsList& list, const std::string& re,
                                const std::string& im, bool mark, const TKernelParams& params);
  /// Appends the next iterate to every orbit; true when an orbit got a point.
  bool AddNextPoints(TDrawPointsList& list, const TKernelParams& params);
  /// Joins the marked orbits into a ring; true when a link or a mark changed.
  bool Group(TDrawPointsList& list);
  /// Deletes every orbit and forgets the steps.
  void Clear(TDrawPointsList& list);
  /// Rebuilds `list` from `steps` (as returned by Steps()) and keeps them.
  void Restore(TDrawPointsList& list, const std::vector<TOrbitStep>& steps);

  /// The steps since the list was last empty, oldest first.
  const std::vector<TOrbitStep>& Steps() const { return Journal; }

private:
  std::vector<TOrbitStep> Journal;
};
