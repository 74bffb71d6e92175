#pragma once
#include <cstddef>
#include <limits>
#include <string>

#include "core/TDTDExpression.h"

/// Zero or more `a` (not owned), greedy: ends at the first soft failure of `a`; a committed
/// failure of any repetition fails the whole. With a limit, a repetition past `most` is a
/// committed failure with `tooMany` + " at line L, column C." (the position of its first
/// token), so that a file of very many small elements is refused before it fills the memory.
class TDTDRepeatMin0 : public TDTDExpression {
public:
  explicit TDTDRepeatMin0(const TDTDItem* a,
                          size_t most = std::numeric_limits<size_t>::max(),
                          std::string tooMany = {});
  bool IsNullable() const override { return true; }
  bool Parse(TXMLComplexElement& parent, const TXMLToken*& cursor, std::string& errorText,
             bool& committed) const override;

private:
  const TDTDItem* A;
  size_t Most;
  std::string TooMany;
};
