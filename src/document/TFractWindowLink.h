#pragma once
#include <string>

#include "document/TUnitWindow.h"

class TXMLComplexElement;
class TXMLItem;

/// What a fractal document needs of the window that shows it: the window's view holds the
/// colouring record and the parameters that the fractal file stores. TUnitWindow is a virtual
/// base, shared with the child window class.
class TFractWindowLink : public virtual TUnitWindow {
public:
  /// Appends "View" (an empty marker) and then the "FractalView" element to `parent`.
  virtual void AddViewXML(TXMLComplexElement& parent) const = 0;
  /// Appends the "Fractal" element of the view's parameters to `parent`.
  virtual void AddFractalXML(TXMLComplexElement& parent) const = 0;
  /// Reads the file's view part: `viewElement` is "View", followed by "FractalView" and
  /// "Fractal". On failure returns false with the message and the bad element's line and column.
  virtual bool ReadViewXML(const TXMLItem* viewElement, std::string& errorText, int& line,
                           int& column) = 0;
};
