#include "render/TStartDrawPoint.h"

#include "engine/kernels.h"

TStartDrawPoint::TStartDrawPoint(double x, double y, TComplex c, TComplex d, bool mark,
                                 TDrawPointsList* list,
                                 std::unique_ptr<TStartDrawPoint> nextOrbit)
    : First(std::make_unique<TDrawPoint>(x, y, this)),
      Last(First.get()),
      NextOrbit(std::move(nextOrbit)),
      List(list),
      Mark(mark),
      ConstC(c),
      ConstD(d) {}

TStartDrawPoint::~TStartDrawPoint() {
  // As with the points: take the successor out before its owner goes.
  std::unique_ptr<TStartDrawPoint> rest = std::move(NextOrbit);
  while (rest) rest = std::move(rest->NextOrbit);
}

bool TStartDrawPoint::AddNextPoint(const TKernelParams& params) {
  if (Deep) {
    if (!Deep->Step(params.Formula, params.N, params.M)) return false;
    Last = Last->Append(std::make_unique<TDrawPoint>(Deep->X(), Deep->Y(), this,
                                                     Deep->OffsetX(), Deep->OffsetY()));
    ++Count;
    return true;
  }
  const TComplex next = FormulaStep({Last->X(), Last->Y()}, ConstC, ConstD, params.N, params.M,
                                    params.Formula);
  if (IsFault(next)) return false;
  Last = Last->Append(std::make_unique<TDrawPoint>(next.re, next.im, this));
  ++Count;
  return true;
}
