#pragma once
#include <cstdint>

#include "core/unit.h"

/// A 32-bit signed integer.
class unitInteger : public unit {
public:
  unitInteger(int32_t value = 0, uint8_t unitKind = ukNone);

  /// The integer in full.
  std::string GetText() const override;
  /// Takes ["+"] ["-"] digits and ignores what follows (no digits read as 0); rejects values
  /// outside the 32-bit range; then the class's restriction.
  bool SetText(const std::string& text, const std::string& name, std::string& errorText) override;

  int32_t GetInt() const { return Value; }
  /// Sets the integer without any check.
  virtual void SetInt(int32_t i) { Value = i; }

protected:
  unitInteger(int32_t value, uint8_t unitKind, uint8_t restriction);

private:
  int32_t Value;
};
