#pragma once
#include <string>

class TXMLItem;

/// Why a record could not be read from a file: the message and the position (line, and column
/// of the begin tag's '>') of the element it is about.
class TReadError {
public:
  std::string Text;
  int Line = 0;
  int Column = 0;

  /// Takes the position of `item`.
  void At(const TXMLItem& item);
  /// Text + " At line L, column C." with C = Column + columnOffset: the palette and project
  /// files point at the first character after the '>' (offset 1), the fractal file at the '>'.
  std::string WithPosition(int columnOffset) const;
};
