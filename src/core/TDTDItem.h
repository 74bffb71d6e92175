#pragma once
#include <string>

class TXMLComplexElement;
class TXMLToken;

/// A node of a file grammar. Nodes reference the nodes they were given and own nothing;
/// a TDTDGrammar owns them all.
class TDTDItem {
public:
  virtual ~TDTDItem();
  /// True when the item may match no tokens at all.
  virtual bool IsNullable() const = 0;
  /// Matches tokens from `cursor` on and appends the elements built to `parent`. On failure
  /// returns false with one message in `errorText`; `committed` tells a hard failure (the
  /// enclosing expressions must fail too) from a soft one (an alternative may be tried).
  virtual bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor,
                     std::string& errorText, bool& committed) const = 0;
};
