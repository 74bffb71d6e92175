#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "core/unitFactor.h"
#include "core/unitFactorPosMore.h"
#include "core/unitFactorPosMore1.h"
#include "core/unitFactorPosMoreLess1.h"
#include "core/unitIntegerPos.h"
#include "core/unitIntegerPosMore.h"
#include "engine/TKernelParams.h"

class TDTDCompound;
class TDTDGrammar;
class TReadError;
class TXMLComplexElement;
class TXMLItem;
template <class R>
class TXMLLayout;

/// The record that describes one fractal: resolution, plane rectangle, iteration limits,
/// formula, what the pixel supplies, the constants c, d, z and the exponents N and M.
/// A plain value type, copied freely. XML element "Fractal".
class TFractProps {
public:
  /// All fields at their defaults: the Julia set of c = -0.122561 - 0.744862i over
  /// [-1.5, 1.5] x [-1.5, 1.5] at 250 x 250 pixels.
  TFractProps() = default;
  TFractProps(const TFractProps&) = default;
  TFractProps& operator=(const TFractProps&) = default;

  unitIntegerPosMore XResolution{250};  ///< pixels across (columns)
  unitIntegerPosMore YResolution{250};  ///< pixels down (rows)
  unitFactor Left{-1.5};                ///< real part at the left edge
  unitFactor Right{1.5};                ///< real part at the right edge
  unitFactor Top{1.5};                  ///< imaginary part at the top edge
  unitFactor Bottom{-1.5};              ///< imaginary part at the bottom edge
  unitIntegerPosMore MaxDepth{200};     ///< iteration limit
  unitFactorPosMore1 OuterCircle{1000.0};     ///< escape radius
  unitFactorPosMoreLess1 InnerDist{0.0001};   ///< distance under which iterates are equal
  unitIntegerPos MaxCycle{3};           ///< longest detected cycle period; 0 switches it off
  uint8_t Formula = 0;                  ///< index into Formulas
  uint8_t MapField = TKernelParams::MapZ;  ///< TKernelParams::MapZ, MapC or MapD
  unitFactor CR{-0.122561};             ///< c, real part
  unitFactor CI{-0.744862};             ///< c, imaginary part
  unitFactor DR{-0.3};                  ///< d, real part
  unitFactor DI{-0.3};                  ///< d, imaginary part
  unitFactor ZR{0.0};                   ///< z, real part (stored and edited only)
  unitFactor ZI{0.0};                   ///< z, imaginary part (stored and edited only)
  unitIntegerPosMore N{5};              ///< first integer exponent
  unitIntegerPosMore M{3};              ///< second integer exponent
  uint8_t ColorMode = TKernelParams::ColorContinue;  ///< TKernelParams::ColorContinue or ColorDiscontinue; not stored
  /// Continuation value shown by the properties dialog; nothing reads it and it is not stored.
  unitFactorPosMore Cont{1.0};

  /// The element name of MapField ("MapZ", "MapC", "MapD"); nullptr outside 0..2.
  static const char* MapName(uint8_t mapField);

  /// A new "Fractal" element; the caller adds it to its parent, which then owns it.
  std::unique_ptr<TXMLComplexElement> WriteXML() const;
  /// The grammar of "Fractal"; its nodes are owned by `grammar`. Build it once.
  static TDTDCompound* BuildDTD(TDTDGrammar& grammar);
  /// Fills the record from a "Fractal" element that the grammar has matched. On failure returns
  /// false with the message and the bad element's line and column; fields read before the
  /// failure keep their new values, later ones their old. ColorMode and Cont are kept.
  /// A tree the grammar would not have matched is a fatal programming error.
  bool ReadXML(const TXMLItem* xmlFractal, TReadError& error);
  /// The elements of "Fractal", from which the three above are made.
  static const TXMLLayout<TFractProps>& Layout();

  /// The plain numbers the kernels read.
  TKernelParams KernelParams() const;
};
