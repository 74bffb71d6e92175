#pragma once
#include <string>

#include "core/TDTDItem.h"

/// An element of a grammar: matches a begin tag with this name, its content and the end tag.
class TDTDElement : public TDTDItem {
public:
  explicit TDTDElement(std::string name);
  bool IsNullable() const override { return false; }
  /// Matches the end tag of this element; every failure commits.
  virtual bool ExpectEnd(const TXMLToken*& cursor, std::string& errorText,
                         bool& committed) const;
  const std::string& GetName() const { return Name; }

protected:
  /// " at line L, column C." of `token`.
  static std::string PositionSuffix(const TXMLToken& token);
  /// Refuses `token`, which cannot begin this element: sets the message ("... expect begin of
  /// element", ended by `stop`, as each kind of element words it) and whether the failure
  /// commits (text and end of file do). Always false.
  bool RefuseBegin(const TXMLToken& token, char stop, std::string& errorText,
                   bool& committed) const;

private:
  std::string Name;
};
