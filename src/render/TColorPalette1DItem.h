#pragma once
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <string>

#include "core/unitFactorPosMoreLess1.h"

class TDTDCompound;
class TDTDGrammar;
class TReadError;
class TXMLComplexElement;
class TXMLItem;

/// One stop of a one-dimensional colour palette. A palette is its begin stop (position 0),
/// which owns the sorted chain of stops up to the end stop (position 1). Colours are
/// 0x00BBGGRR. Failed checks of this class are reported and execution goes on.
class TColorPalette1DItem {
public:
  /// The most stops a palette holds between its begin and end stops. Files with more are
  /// refused as they are read and the editor adds no more, so every palette written reads
  /// back. Far above any palette made by hand and above the largest the tests write, it
  /// refuses a 64 MB file of stops at a third of what it would take in memory.
  static constexpr int MaxInnerStops = 250000;
  /// The message for a palette past MaxInnerStops.
  static std::string TooManyStopsText();

  /// A new palette of two stops: `beginColor` at 0 and `endColor` at 1.
  TColorPalette1DItem(uint32_t beginColor, uint32_t endColor);
  /// Deep copy of the chain from `other` on.
  TColorPalette1DItem(const TColorPalette1DItem& other);
  TColorPalette1DItem& operator=(const TColorPalette1DItem& other);
  /// Destroys the chain after this stop, iteratively.
  virtual ~TColorPalette1DItem();

  /// The colour at `position` (0 to 1), interpolated per channel between the neighbouring
  /// stops; below 0 (and NaN) the begin colour, above 1 the end colour.
  virtual uint32_t GetColor(double position) const;

  uint32_t GetColorBefore() const { return ColorBefore; }
  void SetColorBefore(uint32_t colour) { ColorBefore = colour; }
  /// The colour that starts the segment above this stop.
  uint32_t GetColorAfter() const { return UseColorAfter ? ColorAfter : ColorBefore; }
  /// Sets the after colour; reports when the stop does not use one (and sets it anyway).
  void SetColorAfter(uint32_t colour);
  bool GetUseColorAfter() const { return UseColorAfter; }
  void SetUseColorAfter(bool use) { UseColorAfter = use; }

  /// The position as a number.
  double GetDPosition() const { return PositionValue.GetDouble(); }
  /// The position value (text form, unit kind). Change it only through Resort's protocol.
  unitFactorPosMoreLess1& Position() { return PositionValue; }
  const unitFactorPosMoreLess1& Position() const { return PositionValue; }

  TColorPalette1DItem* GetNext() const { return Next.get(); }
  /// Links `item` (taking ownership) after this stop and returns the chain it replaced.
  std::unique_ptr<TColorPalette1DItem> SetNext(std::unique_ptr<TColorPalette1DItem> item);
  /// The end stop.
  TColorPalette1DItem* GetLast();
  /// The stop whose next is `item`; nullptr when `item` is this stop or not in the chain
  /// (the latter reported).
  TColorPalette1DItem* GetPrevious(const TColorPalette1DItem* item);
  /// True when a stop of the chain other than `item` has exactly this position.
  bool PositionExists(double position, const TColorPalette1DItem* item) const;
  /// Moves `item`, whose position has just changed, to its sorted place; `previous` is the
  /// stop before it.
  void Resort(TColorPalette1DItem* item, TColorPalette1DItem* previous);
  /// Inserts a stop at `position` (strictly between this stop's position and 1) with
  /// ColorBefore `colour`; returns it. A position outside that range or already taken is
  /// reported and nothing is inserted (nullptr).
  TColorPalette1DItem* AddItem(const unitFactorPosMoreLess1& position, uint32_t colour);
  /// The number of stops between the begin and the end stop.
  int InnerStopCount() const;
  /// Removes and deletes the inner stop `item`; returns the stop before it. The begin and end
  /// stops are reported and kept.
  TColorPalette1DItem* DeleteItem(TColorPalette1DItem* item);

  /// Fills a "ColorPalette1D" element that the caller has made.
  void WriteXML(TXMLComplexElement& parent) const;
  /// Reads a "ColorPalette1D" element that the grammar has matched into this palette. On
  /// failure returns false with the message and the position of the bad element, and the
  /// palette stays as it was.
  bool ReadXML(const TXMLItem* element, TReadError& error);
  /// Writes a palette file; shows a message and returns false on failure.
  bool SaveToFile(const std::string& fileName) const;
  /// Reads a palette file. Returns false with the message in `errorText` (unchanged when the
  /// file cannot be opened, "not a regular file" for a pipe, a device or a folder, which is
  /// never waited for); the palette then stays as it was.
  bool LoadFromFile(const std::string& fileName, std::string& errorText);
  /// The same for the bytes of a palette file read from `in` to its end.
  bool LoadFromStream(std::istream& in, std::string& errorText);
  /// The bytes SaveToFile writes (always possible for a palette).
  std::string ToFileText() const;

  /// A new grammar element "ColorPalette1D", owned by `grammar`.
  static TDTDCompound* BuildDTD(TDTDGrammar& grammar);
  /// The grammar of the palette file (root "UnitColorPalette1D"), built once.
  static const TDTDCompound& FileGrammar();

private:
  TColorPalette1DItem(uint32_t colour, const unitFactorPosMoreLess1& position);
  void DestroyChain();

  uint32_t ColorBefore;
  bool UseColorAfter = false;
  uint32_t ColorAfter = 0;
  unitFactorPosMoreLess1 PositionValue;
  std::unique_ptr<TColorPalette1DItem> Next;
};
