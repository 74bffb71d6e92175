#pragma once
#include <string>
#include <vector>

#include "engine/TFractProps.h"
#include "gui/view/TOrbitJournal.h"
#include "render/TVoldViewProps.h"

/// What a fractal view shows at one moment: its parameters, its colouring, its orbit points
/// (as the steps that built them) and the grouping flag, and whether the document had unsaved
/// changes then. A value type; comparisons go by what a fractal file would store of the
/// records, so two states compare equal exactly when they would be saved alike.
class TViewState {
public:
  /// Copies the records and the steps; `unchanged` says the document had no unsaved changes.
  TViewState(const TFractProps& params, const TVoldViewProps& viewProps,
             std::vector<TOrbitStep> orbits, bool groupPoints, bool unchanged);

  const TFractProps& Params() const { return FractProps; }
  const TVoldViewProps& ViewProps() const { return Colouring; }
  const std::vector<TOrbitStep>& Orbits() const { return OrbitSteps; }
  bool GroupPoints() const { return Group; }
  /// The document had no unsaved changes when the state was taken.
  bool Unchanged() const { return DocumentUnchanged; }

  /// Same parameters, including the colour mode that files do not keep.
  bool SameParams(const TViewState& other) const { return ParamsKey == other.ParamsKey; }
  bool SameViewProps(const TViewState& other) const { return ViewKey == other.ViewKey; }
  bool SameOrbits(const TViewState& other) const {
    return OrbitSteps == other.OrbitSteps && Group == other.Group;
  }
  /// Parameters and colouring alike: saving either gives the same fractal file.
  bool SameFile(const TViewState& other) const {
    return SameParams(other) && SameViewProps(other);
  }
  /// Alike in everything the view shows.
  bool operator==(const TViewState& other) const {
    return SameFile(other) && SameOrbits(other);
  }

private:
  TFractProps FractProps;
  TVoldViewProps Colouring;
  std::vector<TOrbitStep> OrbitSteps;
  bool Group;
  bool DocumentUnchanged;
  std::string ParamsKey;
  std::string ViewKey;
};
