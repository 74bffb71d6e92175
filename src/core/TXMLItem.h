#pragma once
#include <memory>
#include <string>

class TXMLComplexElement;

/// One element of an XML tree: either a text element or an element with children.
/// Items are owned top-down: a parent owns its first child, each item owns its next sibling.
class TXMLItem {
public:
  virtual ~TXMLItem();
  TXMLItem(const TXMLItem&) = delete;
  TXMLItem& operator=(const TXMLItem&) = delete;

  /// The text of a text element. Fatal assertion on an element with children.
  virtual std::string GetText() const;
  /// The first child (nullptr when there is none). Fatal assertion on a text element.
  virtual TXMLItem* GetFirst() const;
  /// Appends this element's lines (CR LF ends, two spaces of indentation per level) to `out`.
  virtual void Write(std::string& out, int level) const = 0;

  /// The element name.
  const std::string& GetElement() const { return Element; }
  /// The next sibling, nullptr after the last child.
  TXMLItem* GetNext() const { return Next.get(); }
  /// Line and column of the begin tag's '>' (only for items produced by reading).
  int GetLine() const { return Line; }
  int GetColumn() const { return Column; }
  void SetPosition(int line, int column) {
    Line = line;
    Column = column;
  }
  /// True for a text element.
  bool IsText() const { return Text; }

protected:
  TXMLItem(std::string element, bool isText);

private:
  friend class TXMLComplexElement;
  /// Destroys a chain of siblings and all their subtrees without recursion.
  static void DestroyChain(std::unique_ptr<TXMLItem> head);

  std::unique_ptr<TXMLItem> Next;
  std::string Element;
  bool Text;
  int Line = 0;
  int Column = 0;
};
