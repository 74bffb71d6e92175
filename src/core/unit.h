#pragma once
#include <cstdint>
#include <string>

#include "core/unitkinds.h"

class TReadError;
class TXMLComplexElement;
class TXMLItem;

/// A number of a record or dialog with the unit it was entered in (a TUnitKind code) and the
/// range its class allows (a TRestriction code). Copied by value; owns nothing.
class unit {
public:
  virtual ~unit();

  /// The value as text, in the unit it was entered in.
  virtual std::string GetText() const = 0;
  /// Dialog entry: when `ok` is still true, takes `text`; on failure shows the message as an
  /// input error and sets `ok` to false.
  virtual void Check(bool& ok, const std::string& text, const std::string& name);
  /// Takes a text; on failure keeps the value and sets `errorText` to "In <name>: <reason>".
  virtual bool SetText(const std::string& text, const std::string& name,
                       std::string& errorText) = 0;
  /// Appends a text element `name` holding GetText() to `parent`.
  virtual void WriteXML(TXMLComplexElement& parent, const std::string& name) const;
  /// Takes the text of a text element; the error gets the element's position (also on
  /// success), so that the caller can add it to the message.
  virtual bool ReadXML(const TXMLItem* xmlElement, TReadError& error);

  uint8_t GetUnitKind() const { return UnitKind; }
  uint8_t GetRestriction() const { return Restriction; }

protected:
  unit(uint8_t unitKind, uint8_t restriction) : UnitKind(unitKind), Restriction(restriction) {}
  unit(const unit&) = default;
  unit& operator=(const unit&) = default;

  uint8_t UnitKind;
  uint8_t Restriction;
};
