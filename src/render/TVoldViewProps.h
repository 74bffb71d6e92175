#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/unitFactorPosMore.h"
#include "render/TColorPalette1DItem.h"

class TDTDCompound;
class TDTDGrammar;
class TReadError;
class TXMLComplexElement;
class TXMLItem;
template <class R>
class TXMLLayout;

/// The curve applied to a depth before the strength: d^2, d, sqrt(d), d^0.25.
enum TSensitivity : uint8_t {
  SensLow = 0,
  SensNormal = 1,
  SensHigh = 2,
  SensVeryHigh = 3
};

/// The colouring record of one fractal view: how depths and cycles become colours, and the
/// colour of the selection rectangle. A value type; copies own their own palettes.
/// Colours are 0x00BBGGRR (red in the low byte). XML element "FractalView".
class TVoldViewProps {
public:
  /// All fields at their defaults.
  TVoldViewProps();
  /// Copies every field; the palettes are deep-copied.
  TVoldViewProps(const TVoldViewProps& other);
  TVoldViewProps& operator=(const TVoldViewProps& other);
  ~TVoldViewProps();

  TSensitivity SensOutside = SensHigh;
  /// Factor applied after the curve for escaped points; > 0, plain or percent.
  unitFactorPosMore StrengthOutside{2.5};
  uint32_t BackgroundColorOutside = 0x000000;
  uint32_t ForegroundColorOutside = 0xFF8000;
  /// Escaped points take their colour from PalOutside instead of the two-colour mix.
  bool UsePalOutside = false;
  TColorPalette1DItem PalOutside{0x000000, 0xFF8000};

  TSensitivity SensInside = SensNormal;
  /// Factor applied after the curve for cycling points; > 0, plain or percent.
  unitFactorPosMore StrengthInside{3.5};
  /// Cycling points take their colour from PalDepthInside instead of the mix.
  bool UsePalDepthInside = false;
  TColorPalette1DItem PalDepthInside{0x000000, 0x0080FF};
  /// The inside mix's background comes from PalDepthBackgroundInside at the cycle position.
  bool UsePalDepthBackgroundInside = false;
  TColorPalette1DItem PalDepthBackgroundInside{0x000000, 0x808080};
  uint32_t ColorBackgroundInside = 0x000000;
  /// The inside mix's foreground comes from PalDepthForegroundInside at the cycle position.
  bool UsePalDepthForegroundInside = false;
  TColorPalette1DItem PalDepthForegroundInside{0x0080FF, 0x00FF80};
  uint32_t ColorForegroundInside = 0x0080FF;

  /// Colour of the dotted selection rectangle.
  uint32_t CursorColor = 0xFF00FF;
  /// Colour of points that reached the iteration limit (depth exactly 0).
  uint32_t MaxDepthColor = 0x000000;

  /// A new "FractalView" element; the caller adds it to its parent, which then owns it.
  std::unique_ptr<TXMLComplexElement> WriteXML() const;
  /// The grammar of "FractalView"; its nodes are owned by `grammar`. Build it once.
  static TDTDCompound* BuildDTD(TDTDGrammar& grammar);
  /// Fills the record from a "FractalView" element that the grammar has matched. On failure
  /// returns false with the value's message and the bad element's line and column; fields
  /// read before the failure keep their new values, a failed palette stays as it was.
  bool ReadXML(const TXMLItem* xmlFractalView, TReadError& error);
  /// The elements of "FractalView", from which the three above are made.
  static const TXMLLayout<TVoldViewProps>& Layout();
};

/// The element name of a sensitivity ("SensLow" .. "SensVeryHigh"); nullptr outside 0..3.
const char* SensitivityName(TSensitivity sensitivity);
