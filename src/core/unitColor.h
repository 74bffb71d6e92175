#pragma once
#include <cstdint>

#include "core/unit.h"

/// A colour 0x00BBGGRR; in files six (or more) upper-case hexadecimal digits.
class unitColor : public unit {
public:
  unitColor(uint32_t colour = 0);
  ~unitColor() override;

  /// Upper-case hexadecimal, padded with zeros to six digits ("0000FF" is red).
  std::string GetText() const override;
  /// A colour is never typed: fatal assertion.
  bool SetText(const std::string& text, const std::string& name, std::string& errorText) override;
  /// Takes 1 to 8 hexadecimal digits of either case and nothing else; otherwise
  /// "In <name>: Invalid Hexdecimal value: "<text>"." No restriction applies.
  bool ReadXML(const TXMLItem* xmlElement, TReadError& error) override;

  uint32_t GetColor() const { return Value; }
  void SetColor(uint32_t colour) { Value = colour; }

private:
  uint32_t Value;
};
