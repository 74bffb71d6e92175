#pragma once
#include "core/unit.h"

/// A time in seconds, entered in s, ms, Hz or kHz (a period), as a note name (its period) or as
/// a length (the time sound at 343 m/s needs for it).
class unitTime : public unit {
public:
  unitTime(double seconds = 0, uint8_t unitKind = ukSecond);

  /// The time in the unit it was entered in ("1.5 s", "250 ms", "10 hz", "2 khz"); a time
  /// entered as a note or a length is shown in seconds.
  std::string GetText() const override;
  bool SetText(const std::string& text, const std::string& name, std::string& errorText) override;

  /// The time in seconds.
  double GetDouble() const { return Value; }
  /// Sets the time in seconds without any check.
  virtual void SetDouble(double x) { Value = x; }

protected:
  unitTime(double seconds, uint8_t unitKind, uint8_t restriction);

private:
  double Value;
};
