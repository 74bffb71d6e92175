#pragma once
#include <string>

class TDTDCompound;
class TDTDGrammar;
class TDTDItem;
class TFractProps;
class TVoldViewProps;
class TXMLComplexElement;
class TXMLItem;

// The parts of the fractal file that a window supplies, shared by every window kind.

/// The grammar of the fractal file (root "UnitFractal"), built on the first call, kept for the
/// whole run and registered with TUnitFract so that documents can load. Safe to call from any
/// thread.
const TDTDCompound& FractalFileGrammar();

/// The grammar of the view part: "View" (empty) followed by "FractalView". Nodes owned by
/// `grammar`.
const TDTDItem* BuildViewDTD(TDTDGrammar& grammar);

/// Appends "View" (an empty marker) and the "FractalView" element of `view` to `parent`.
void AddViewXML(TXMLComplexElement& parent, const TVoldViewProps& view);

/// Appends the "Fractal" element of `params` to `parent`.
void AddFractalXML(TXMLComplexElement& parent, const TFractProps& params);

/// Reads the view part that starts at `view` ("View", then "FractalView" and "Fractal") into
/// the two records. On failure returns false with the message and the bad element's line and
/// column, and both records stay as they were. A tree that the grammar would not have matched
/// is a fatal programming error.
bool ReadViewXML(const TXMLItem* view, TVoldViewProps& viewProps, TFractProps& params,
                 std::string& errorText, int& line, int& column);
