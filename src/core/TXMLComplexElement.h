#pragma once
#include <memory>
#include <string>

#include "core/TXMLItem.h"

/// An XML element with child elements (possibly none: then it is written as `<Name />`).
class TXMLComplexElement : public TXMLItem {
public:
  explicit TXMLComplexElement(std::string name);
  ~TXMLComplexElement() override;

  /// Fatal assertion: an element with children has no text.
  std::string GetText() const override;
  /// The first child, nullptr when there is none.
  TXMLItem* GetFirst() const override { return First.get(); }
  void Write(std::string& out, int level) const override;

  /// Appends `item` as the last child and takes ownership; drops anything linked after it.
  /// Returns the item.
  TXMLItem* Add(std::unique_ptr<TXMLItem> item);
  /// Appends a new childless element `name` and returns it (owned by this element).
  TXMLComplexElement* AddComplex(std::string name);
  /// Appends a new text element.
  void AddText(std::string name, std::string text);
  /// The last child, nullptr when there is none.
  TXMLItem* GetLast() const { return Last; }
  /// Removes and deletes every child after `child` (every child when `child` is nullptr).
  void DeleteAfter(TXMLItem* child);

  /// Writes the whole file (declaration, DOCTYPE line, this element as root), CR LF line ends.
  /// Refuses trees that the reader could not read back (bad names, empty texts, '<' or '>' in
  /// a text) and never leaves a half-written file: the previous file stays on any failure.
  /// On failure returns false with the reason in `errorText`.
  bool SaveToFile(const std::string& fileName, std::string& errorText) const;
  /// The bytes SaveToFile writes, after the same checks; false with `errorText` when refused.
  bool ToFileText(std::string& out, std::string& errorText) const;

private:
  friend class TXMLItem;
  std::unique_ptr<TXMLItem> First;
  TXMLItem* Last = nullptr;
};
