#pragma once
#include "core/unit.h"

/// A real number, entered plainly or in percent.
class unitFactor : public unit {
public:
  unitFactor();
  unitFactor(double value, uint8_t unitKind = ukNone);
  ~unitFactor() override;

  /// The number, or the number times 100 followed by " %" for percent.
  std::string GetText() const override;
  /// Accepts a number without unit or with "%"; then the class's restriction.
  bool SetText(const std::string& text, const std::string& name, std::string& errorText) override;

  virtual double GetDouble() const { return Value; }
  /// Sets the number without any check.
  virtual void SetDouble(double x) { Value = x; }
  /// The number without unit through FormatFixed.
  virtual std::string GetTextDigits(int minDigBefore, int minDigAfter, int maxDigAfter) const;

protected:
  unitFactor(double value, uint8_t unitKind, uint8_t restriction);

private:
  double Value;
};
