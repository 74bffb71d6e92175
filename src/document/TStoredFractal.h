#pragma once
#include <iosfwd>
#include <string>

#include "engine/TFractProps.h"
#include "document/TFractWindowLink.h"
#include "render/TVoldViewProps.h"

/// A fractal window without a screen: the two records a fractal file stores, for the
/// command-line renderer, tests and file checks. Link a TUnitFract to it to save or load.
class TStoredFractal : public TFractWindowLink {
public:
  /// Default records; also makes sure the fractal file's grammar is registered.
  TStoredFractal();
  TStoredFractal(const TFractProps& params, const TVoldViewProps& view);
  TStoredFractal(const TStoredFractal&) = default;
  TStoredFractal& operator=(const TStoredFractal&) = default;

  TFractProps Params;
  TVoldViewProps View;

  /// Nothing to retitle.
  void NameChanged(const std::string& oldName) override;
  void UpdateCaption() override;

  void AddViewXML(TXMLComplexElement& parent) const override;
  void AddFractalXML(TXMLComplexElement& parent) const override;
  /// Reads the view part into View and Params; both stay as they were on failure.
  bool ReadViewXML(const TXMLItem* viewElement, std::string& errorText, int& line,
                   int& column) override;

  /// Reads the fractal file `path` into `out` (whose ColorMode and Cont are kept). On failure
  /// returns false with the message in `errorText`, empty when the file cannot be opened, and
  /// `out` stays as it was.
  static bool LoadFile(const std::string& path, TStoredFractal& out, std::string& errorText);
  /// The same for the bytes of a fractal file read from `in` to its end.
  static bool LoadFromStream(std::istream& in, TStoredFractal& out, std::string& errorText);
  /// Writes `fractal` as a fractal file to `path`; shows a message and returns false on failure.
  static bool SaveFile(const std::string& path, const TStoredFractal& fractal);
};
