#include "gui/view/TOrbitJournal.h"

#include <utility>

#include "engine/TKernelParams.h"
#include "render/TDeepOrbit.h"
#include "render/TDrawPointsList.h"

namespace {

// The ring links (as positions in the list, -1 for none) and marks of every orbit.
std::vector<std::pair<int, bool>> Links(const TDrawPointsList& list) {
  std::vector<const TStartDrawPoint*> orbits;
  for (const TStartDrawPoint* o = list.GetHead(); o; o = o->GetNextOrbit()) orbits.push_back(o);
  std::vector<std::pair<int, bool>> links;
  for (const TStartDrawPoint* o : orbits) {
    int link = -1;
    for (size_t i = 0; i < orbits.size(); ++i) {
      if (orbits[i] == o->GetRingLink()) link = static_cast<int>(i);
    }
    links.emplace_back(link, o->GetMark());
  }
  return links;
}

int PointCount(const TDrawPointsList& list) {
  int count = 0;
  for (const TStartDrawPoint* o = list.GetHead(); o; o = o->GetNextOrbit()) count += o->Length();
  return count;
}

bool Same(TComplex a, TComplex b) { return a.re == b.re && a.im == b.im; }

}  // namespace

bool TOrbitStep::operator==(const TOrbitStep& other) const {
  return Kind == other.Kind && X == other.X && Y == other.Y && DeepX == other.DeepX &&
         DeepY == other.DeepY && DeepMap == other.DeepMap && Same(C, other.C) &&
         Same(D, other.D) && Mark == other.Mark && N == other.N && M == other.M &&
         Formula == other.Formula;
}

TStartDrawPoint* TOrbitJournal::AddOrbit(TDrawPointsList& list, double x, double y, bool mark,
                                         const TKernelParams& params) {
  TStartDrawPoint* orbit = list.AddOrbit(x, y, mark, params);
  TOrbitStep step;
  step.Kind = TOrbitStep::Start;
  step.X = x;
  step.Y = y;
  step.C = orbit->C();
  step.D = orbit->D();
  step.Mark = mark;
  Journal.push_back(step);
  return orbit;
}

TStartDrawPoint* TOrbitJournal::AddDeepOrbit(TDrawPointsList& list, const std::string& re,
                                             const std::string& im, bool mark,
                                             const TKernelParams& params) {
  TStartDrawPoint* orbit = list.AddDeepOrbit(re, im, mark, params);
  if (!orbit) return nullptr;
  TOrbitStep step;
  step.Kind = TOrbitStep::Start;
  step.X = orbit->GetFirst()->X();
  step.Y = orbit->GetFirst()->Y();
  step.C = orbit->C();
  step.D = orbit->D();
  step.Mark = mark;
  step.DeepX = re;
  step.DeepY = im;
  step.DeepMap = orbit->GetDeep()->MapField();
  Journal.push_back(step);
  return orbit;
}

bool TOrbitJournal::AddNextPoints(TDrawPointsList& list, const TKernelParams& params) {
  const int before = PointCount(list);
  list.AddNextPoints(params);
  if (PointCount(list) == before) return false;
  TOrbitStep step;
  step.Kind = TOrbitStep::Next;
  step.N = params.N;
  step.M = params.M;
  step.Formula = params.Formula;
  Journal.push_back(step);
  return true;
}

bool TOrbitJournal::Group(TDrawPointsList& list) {
  const auto before = Links(list);
  list.Group();
  if (Links(list) == before) return false;
  TOrbitStep step;
  step.Kind = TOrbitStep::Group;
  Journal.push_back(step);
  return true;
}

void TOrbitJournal::Clear(TDrawPointsList& list) {
  list.Clear();
  Journal.clear();
}

void TOrbitJournal::Restore(TDrawPointsList& list, const std::vector<TOrbitStep>& steps) {
  list.Clear();
  for (const TOrbitStep& step : steps) {
    switch (step.Kind) {
      case TOrbitStep::Start: {
        TStartDrawPoint* orbit = list.AddOrbit(step.X, step.Y, step.C, step.D, step.Mark);
        if (!step.DeepX.empty())
          orbit->SetDeep(
              TDeepOrbit::Create(step.DeepX, step.DeepY, step.DeepMap, step.C, step.D));
        break;
      }
      case TOrbitStep::Next: {
        TKernelParams formula;
        formula.N = step.N;
        formula.M = step.M;
        formula.Formula = step.Formula;
        list.AddNextPoints(formula);
        break;
      }
      case TOrbitStep::Group:
        list.Group();
        break;
    }
  }
  Journal = steps;
}
