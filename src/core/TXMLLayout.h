#pragma once
#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/TDTDAttribute.h"
#include "core/TDTDChoice.h"
#include "core/TDTDCompound.h"
#include "core/TDTDConcat.h"
#include "core/TDTDEmpty.h"
#include "core/TDTDGrammar.h"
#include "core/TDTDOptional.h"
#include "core/TDTDRepeatMin0.h"
#include "core/TReadError.h"
#include "core/TXMLComplexElement.h"
#include "core/assertions.h"

/// What reading does with a tree that the grammar would not have matched (an element missing,
/// misnamed or left over): end the program, or report the failed check and fail the read with
/// "The element "<root>" is incomplete.".
enum class TXMLStructureCheck { Fatal, Reported };

/// The elements of a record R as a file stores them, described once. The writer, the grammar
/// and the reader all walk the same description, so they list the same elements in the same
/// order. A layout is a text element, an element of child elements (a flag when it has none),
/// one of several elements, an optional element, a repetition, a sequence, or a part of the
/// record described by a layout of its own. Layouts are values: build each once and keep it.
///   using L = TXMLLayout<TPoint>;
///   static const L point = L::Compound("Point", {L::Value("X", &TPoint::X),
///                                                L::Flag("Hidden", &TPoint::Hidden)});
///   point.Write(p, parent);             // <Point>, <X>, and <Hidden /> when p.Hidden
///   point.ElementGrammar(grammar);      // "Point" = "X", then "Hidden" or nothing
///   point.Read(p, element, error);      // X and Hidden from a matched <Point>
/// Reading fills the record element by element: what was read before a failure stays read.
/// The checks of the reader name the element as the variable "xml" + name, as in
/// "xmlX->GetElement() == "X"".
template <class R>
class TXMLLayout {
public:
  /// The text written for an element.
  using TGetText = std::function<std::string(const R&)>;
  /// Takes the text (or the whole element) read; false with error.Text set. The error's
  /// position is already that of `element`.
  using TSetText = std::function<bool(R&, const TXMLItem& element, TReadError& error)>;
  /// Runs after each element directly below the root has been read (after each repetition
  /// of a repeated one) with that element; false stops the reading with the error it set.
  using TThen = std::function<bool(const TXMLItem& element, R& record, TReadError& error)>;
  using TItems = std::vector<TXMLLayout>;

  /// A text element.
  static TXMLLayout Text(std::string name, TGetText get, TSetText set) {
    return TXMLLayout(std::make_shared<TTextNode>(std::move(name), std::move(get), std::move(set)));
  }
  /// A text element holding the value (a `unit`) `member`, in the value's own text form; a
  /// text the value refuses fails with the value's message ("In <name>: ...").
  template <class V>
  static TXMLLayout Value(std::string name, V R::*member) {
    return Text(
        std::move(name), [member](const R& r) { return (r.*member).GetText(); },
        [member](R& r, const TXMLItem& element, TReadError& error) {
          return (r.*member).ReadXML(&element, error);
        });
  }
  /// An element whose children are `items` in this order; without items it is written as an
  /// empty element. A child left over after the items is a failed check `finished`.
  static TXMLLayout Compound(std::string name, TItems items,
                             std::string finished = "xmlFinished == NULL") {
    return TXMLLayout(
        std::make_shared<TCompoundNode>(std::move(name), std::move(items), std::move(finished)));
  }
  /// An empty element, present exactly when `member` is true.
  static TXMLLayout Flag(std::string name, bool R::*member) {
    return Optional(
        Compound(std::move(name), {}), [member](const R& r) { return r.*member; },
        [member](R& r, bool present) { r.*member = present; });
  }
  /// Items one after the other, without an element of their own.
  static TXMLLayout Sequence(TItems items) {
    return TXMLLayout(std::make_shared<TSequenceNode>(std::move(items)));
  }
  /// One of `alternatives` (each one element), the one numbered `get` when writing; reading
  /// gives the number of the one found to `set` before its content is read. `var` names it in
  /// the checks; writing a number outside the alternatives fails the check "<var> != NULL".
  static TXMLLayout Choice(std::string var, TItems alternatives, std::function<int(const R&)> get,
                           std::function<void(R&, int)> set) {
    return TXMLLayout(std::make_shared<TChoiceNode>(std::move(var), std::move(alternatives),
                                                    std::move(get), std::move(set)));
  }
  /// `item` (one element) or nothing: written when `present`; reading tells `setPresent`
  /// (when given) whether it was there.
  static TXMLLayout Optional(TXMLLayout item, std::function<bool(const R&)> present,
                             std::function<void(R&, bool)> setPresent = {}) {
    return TXMLLayout(std::make_shared<TOptionalNode>(std::move(item), std::move(present),
                                                      std::move(setPresent)));
  }
  /// Zero or more `item` (one element each): `each` visits the items to write; reading makes
  /// each item with `make` from the record read so far, reads it and gives it to `add`. The
  /// grammar refuses more than `most` items with the message `tooMany` and the position of
  /// the first item too many.
  template <class I>
  static TXMLLayout Repeat(TXMLLayout<I> item,
                           std::function<void(const R&, const std::function<void(const I&)>&)> each,
                           std::function<I(const R&)> make, std::function<void(R&, I&&)> add,
                           size_t most = std::numeric_limits<size_t>::max(),
                           std::string tooMany = {}) {
    return TXMLLayout(std::make_shared<TRepeatNode<I>>(std::move(item), std::move(each),
                                                       std::move(make), std::move(add), most,
                                                       std::move(tooMany)));
  }
  /// The part `member` of the record, laid out by `layout`; read in place.
  template <class S>
  static TXMLLayout Part(TXMLLayout<S> layout, S R::*member) {
    return TXMLLayout(std::make_shared<TPartNode<S>>(std::move(layout), member));
  }
  /// An element that a record with a reader of its own writes, matches and reads (for a record
  /// that must stay whole when its reading fails).
  static TXMLLayout Element(std::string name,
                            std::function<void(const R&, TXMLComplexElement& parent)> write,
                            std::function<const TDTDItem*(TDTDGrammar&)> grammar, TSetText read) {
    return TXMLLayout(std::make_shared<TElementNode>(std::move(name), std::move(write),
                                                     std::move(grammar), std::move(read)));
  }

  /// The same layout, read after the items that follow it in its sequence (it is still
  /// written and matched in its place).
  TXMLLayout Later() const {
    TXMLLayout later = *this;
    later.Late = true;
    return later;
  }

  /// Appends the layout's elements for `record` to `parent`.
  void Write(const R& record, TXMLComplexElement& parent) const { Node->Write(record, parent); }
  /// A compound layout's children, into `element` made by the caller.
  void WriteContent(const R& record, TXMLComplexElement& element) const {
    AsCompound().WriteContent(record, element);
  }
  /// A compound layout's element, new; the caller owns it.
  std::unique_ptr<TXMLComplexElement> WriteElement(const R& record) const {
    auto element = std::make_unique<TXMLComplexElement>(AsCompound().Name);
    WriteContent(record, *element);
    return element;
  }
  /// The grammar of the layout; its nodes are owned by `grammar`.
  const TDTDItem* Grammar(TDTDGrammar& grammar) const { return Node->Grammar(grammar); }
  /// The grammar of a compound layout's element.
  TDTDCompound* ElementGrammar(TDTDGrammar& grammar) const {
    return AsCompound().ElementGrammar(grammar);
  }
  /// Reads the element `element` of a compound layout into `record`. False with the message
  /// and position in `error`; what was read before the failure stays read. `then` runs after
  /// each child read.
  bool Read(R& record, const TXMLItem* element, TReadError& error,
            TXMLStructureCheck check = TXMLStructureCheck::Fatal, const TThen& then = {}) const {
    const TCompoundNode& compound = AsCompound();
    const TContext context{check, compound.Name, element, then ? &then : nullptr};
    return Expect(element, compound.Name, error, context) &&
           compound.ReadContent(record, *element, error, context);
  }

private:
  template <class>
  friend class TXMLLayout;

  // What the nodes of one reading share.
  struct TContext {
    TXMLStructureCheck Check;
    const std::string& Root;  // the element read, named by the incomplete message
    const TXMLItem* Parent;   // the element whose children are read
    const TThen* Then;        // runs after each element at this level, or null
  };

  class TNode {
  public:
    virtual ~TNode() = default;
    virtual void Write(const R& record, TXMLComplexElement& parent) const = 0;
    virtual const TDTDItem* Grammar(TDTDGrammar& grammar) const = 0;
    // Reads from `cursor` on and leaves it after the elements read.
    virtual bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
                      const TContext& context) const = 0;
    // Steps over the elements that Read would read.
    virtual bool Skip(const TXMLItem*& cursor, TReadError& error,
                      const TContext& context) const = 0;
    // Whether `item` is the first element of this node.
    virtual bool Starts(const TXMLItem* item) const = 0;
  };

  // A node of exactly one element named Name.
  class TOneElement : public TNode {
  public:
    explicit TOneElement(std::string name) : Name(std::move(name)) {}
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      if (!Expect(cursor, Name, error, c)) return false;
      cursor = cursor->GetNext();
      return true;
    }
    bool Starts(const TXMLItem* item) const override {
      return item != nullptr && item->GetElement() == Name;
    }
    const std::string Name;
  };

  class TTextNode : public TOneElement {
  public:
    TTextNode(std::string name, TGetText get, TSetText set)
        : TOneElement(std::move(name)), Get(std::move(get)), Set(std::move(set)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      parent.AddText(this->Name, Get(record));
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override {
      return g.Make<TDTDAttribute>(this->Name);
    }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      if (!Expect(cursor, this->Name, error, c)) return false;
      if (!cursor->IsText())
        return Check(false, "xml" + this->Name + "->IsText()", cursor, error, c);
      const TXMLItem& element = *cursor;
      error.At(element);
      if (!Set(record, element, error)) return false;
      cursor = cursor->GetNext();
      return After(element, record, error, c);
    }

  private:
    TGetText Get;
    TSetText Set;
  };

  class TCompoundNode : public TOneElement {
  public:
    TCompoundNode(std::string name, TItems items, std::string finished)
        : TOneElement(std::move(name)), Items(std::move(items)), Finished(std::move(finished)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      WriteContent(record, *parent.AddComplex(this->Name));
    }
    void WriteContent(const R& record, TXMLComplexElement& element) const {
      for (const TXMLLayout& item : Items) item.Write(record, element);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override { return ElementGrammar(g); }
    TDTDCompound* ElementGrammar(TDTDGrammar& g) const {
      return g.Make<TDTDCompound>(this->Name, SequenceGrammar(Items, g));
    }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      if (!Expect(cursor, this->Name, error, c)) return false;
      const TXMLItem& element = *cursor;
      if (!ReadContent(record, element, error, {c.Check, c.Root, &element, nullptr}))
        return false;
      cursor = cursor->GetNext();
      return After(element, record, error, c);
    }
    // The children of `element`; `inner` is the context of its children.
    bool ReadContent(R& record, const TXMLItem& element, TReadError& error,
                     const TContext& inner) const {
      if (element.IsText())
        return Check(false, "!xml" + this->Name + "->IsText()", &element, error, inner);
      const TXMLItem* child = element.GetFirst();
      if (!ReadSequence(Items, record, child, error, inner)) return false;
      return child == nullptr || Check(false, Finished, &element, error, inner);
    }

    const TItems Items;

  private:
    const std::string Finished;
  };

  class TSequenceNode : public TNode {
  public:
    explicit TSequenceNode(TItems items) : Items(std::move(items)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      for (const TXMLLayout& item : Items) item.Write(record, parent);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override { return SequenceGrammar(Items, g); }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      return ReadSequence(Items, record, cursor, error, c);
    }
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      for (const TXMLLayout& item : Items)
        if (!item.Node->Skip(cursor, error, c)) return false;
      return true;
    }
    bool Starts(const TXMLItem* item) const override {
      return !Items.empty() && Items.front().Node->Starts(item);
    }

  private:
    const TItems Items;
  };

  class TChoiceNode : public TNode {
  public:
    TChoiceNode(std::string var, TItems alternatives, std::function<int(const R&)> get,
                std::function<void(R&, int)> set)
        : Var(std::move(var)),
          Alternatives(std::move(alternatives)),
          Get(std::move(get)),
          Set(std::move(set)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      const int chosen = Get(record);
      ZASSERT_TEXT(chosen >= 0 && chosen < static_cast<int>(Alternatives.size()),
                   (Var + " != NULL").c_str());
      Alternatives[static_cast<size_t>(chosen)].Write(record, parent);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override {
      // Nested to the right: a or (b or (c ...)).
      const TDTDItem* tail = Alternatives.back().Grammar(g);
      for (size_t i = Alternatives.size() - 1; i-- > 0;)
        tail = g.Make<TDTDChoice>(Alternatives[i].Grammar(g), tail);
      return tail;
    }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      const int found = Find(cursor, error, c);
      if (found < 0) return false;
      Set(record, found);
      return Alternatives[static_cast<size_t>(found)].Node->Read(record, cursor, error, c);
    }
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      const int found = Find(cursor, error, c);
      return found >= 0 && Alternatives[static_cast<size_t>(found)].Node->Skip(cursor, error, c);
    }
    bool Starts(const TXMLItem* item) const override {
      for (const TXMLLayout& alternative : Alternatives)
        if (alternative.Node->Starts(item)) return true;
      return false;
    }

  private:
    // The number of the alternative at `cursor`, -1 after a failed check.
    int Find(const TXMLItem* cursor, TReadError& error, const TContext& c) const {
      if (cursor == nullptr) {
        Check(false, Var + " != NULL", c.Parent, error, c);
        return -1;
      }
      for (size_t i = 0; i < Alternatives.size(); ++i)
        if (Alternatives[i].Node->Starts(cursor)) return static_cast<int>(i);
      std::string condition;
      for (size_t i = 0; i < Alternatives.size(); ++i) {
        const auto* one = dynamic_cast<const TOneElement*>(Alternatives[i].Node.get());
        condition += (i > 0 ? " || " : "") + Var + "->GetElement() == \"" +
                     (one ? one->Name : std::string("?")) + "\"";
      }
      Check(false, condition, cursor, error, c);
      return -1;
    }

    const std::string Var;
    const TItems Alternatives;
    const std::function<int(const R&)> Get;
    const std::function<void(R&, int)> Set;
  };

  class TOptionalNode : public TNode {
  public:
    TOptionalNode(TXMLLayout item, std::function<bool(const R&)> present,
                  std::function<void(R&, bool)> setPresent)
        : Item(std::move(item)), Present(std::move(present)), SetPresent(std::move(setPresent)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      if (Present(record)) Item.Write(record, parent);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override {
      return g.Make<TDTDOptional>(Item.Grammar(g));
    }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      const bool present = Item.Node->Starts(cursor);
      if (SetPresent) SetPresent(record, present);
      return !present || Item.Node->Read(record, cursor, error, c);
    }
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      return !Item.Node->Starts(cursor) || Item.Node->Skip(cursor, error, c);
    }
    bool Starts(const TXMLItem* item) const override { return Item.Node->Starts(item); }

  private:
    const TXMLLayout Item;
    const std::function<bool(const R&)> Present;
    const std::function<void(R&, bool)> SetPresent;
  };

  template <class I>
  class TRepeatNode : public TNode {
  public:
    using TEach = std::function<void(const R&, const std::function<void(const I&)>&)>;
    TRepeatNode(TXMLLayout<I> item, TEach each, std::function<I(const R&)> make,
                std::function<void(R&, I&&)> add, size_t most, std::string tooMany)
        : Item(std::move(item)),
          Each(std::move(each)),
          Make(std::move(make)),
          Add(std::move(add)),
          Most(most),
          TooMany(std::move(tooMany)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      Each(record, [&](const I& item) { Item.Write(item, parent); });
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override {
      return g.template Make<TDTDRepeatMin0>(Item.Grammar(g), Most, TooMany);
    }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      const typename TXMLLayout<I>::TContext inner{c.Check, c.Root, c.Parent, nullptr};
      while (Item.Node->Starts(cursor)) {
        const TXMLItem& element = *cursor;
        I item = Make(record);
        if (!Item.Node->Read(item, cursor, error, inner)) return false;
        Add(record, std::move(item));
        if (!After(element, record, error, c)) return false;
      }
      return true;
    }
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      const typename TXMLLayout<I>::TContext inner{c.Check, c.Root, c.Parent, nullptr};
      while (Item.Node->Starts(cursor))
        if (!Item.Node->Skip(cursor, error, inner)) return false;
      return true;
    }
    bool Starts(const TXMLItem* item) const override { return Item.Node->Starts(item); }

  private:
    const TXMLLayout<I> Item;
    const TEach Each;
    const std::function<I(const R&)> Make;
    const std::function<void(R&, I&&)> Add;
    const size_t Most;
    const std::string TooMany;
  };

  template <class S>
  class TPartNode : public TNode {
  public:
    TPartNode(TXMLLayout<S> layout, S R::*member) : Layout(std::move(layout)), Member(member) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      Layout.Write(record.*Member, parent);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override { return Layout.Grammar(g); }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      // What runs after each element is the record's: it sees the whole record.
      const typename TXMLLayout<S>::TThen then = [&](const TXMLItem& element, S&,
                                                     TReadError& e) {
        return (*c.Then)(element, record, e);
      };
      const typename TXMLLayout<S>::TContext inner{c.Check, c.Root, c.Parent,
                                                   c.Then ? &then : nullptr};
      return Layout.Node->Read(record.*Member, cursor, error, inner);
    }
    bool Skip(const TXMLItem*& cursor, TReadError& error, const TContext& c) const override {
      const typename TXMLLayout<S>::TContext inner{c.Check, c.Root, c.Parent, nullptr};
      return Layout.Node->Skip(cursor, error, inner);
    }
    bool Starts(const TXMLItem* item) const override { return Layout.Node->Starts(item); }

  private:
    const TXMLLayout<S> Layout;
    S R::*const Member;
  };

  class TElementNode : public TOneElement {
  public:
    TElementNode(std::string name, std::function<void(const R&, TXMLComplexElement&)> write,
                 std::function<const TDTDItem*(TDTDGrammar&)> grammar, TSetText read)
        : TOneElement(std::move(name)),
          WriteElement(std::move(write)),
          MakeGrammar(std::move(grammar)),
          ReadElement(std::move(read)) {}
    void Write(const R& record, TXMLComplexElement& parent) const override {
      WriteElement(record, parent);
    }
    const TDTDItem* Grammar(TDTDGrammar& g) const override { return MakeGrammar(g); }
    bool Read(R& record, const TXMLItem*& cursor, TReadError& error,
              const TContext& c) const override {
      if (!Expect(cursor, this->Name, error, c)) return false;
      const TXMLItem& element = *cursor;
      error.At(element);
      if (!ReadElement(record, element, error)) return false;
      cursor = cursor->GetNext();
      return After(element, record, error, c);
    }

  private:
    const std::function<void(const R&, TXMLComplexElement&)> WriteElement;
    const std::function<const TDTDItem*(TDTDGrammar&)> MakeGrammar;
    const TSetText ReadElement;
  };

  explicit TXMLLayout(std::shared_ptr<const TNode> node) : Node(std::move(node)) {}

  const TCompoundNode& AsCompound() const {
    const auto* compound = dynamic_cast<const TCompoundNode*>(Node.get());
    ZASSERT_TEXT(compound != nullptr, "layout is an element of children");
    return *compound;
  }

  // True when `ok`; otherwise a fatal assertion, or a reported check and the incomplete error
  // at the position of `where`.
  static bool Check(bool ok, const std::string& condition, const TXMLItem* where,
                    TReadError& error, const TContext& c) {
    if (ok) return true;
    if (c.Check == TXMLStructureCheck::Fatal) FatalAssertion(condition.c_str(), __FILE__, __LINE__);
    CheckFailed(condition.c_str(), __FILE__, __LINE__);
    error.Text = "The element \"" + c.Root + "\" is incomplete.";
    if (where) error.At(*where);
    return false;
  }
  // The element at `cursor` is there and named `name`.
  static bool Expect(const TXMLItem* cursor, const std::string& name, TReadError& error,
                     const TContext& c) {
    if (cursor == nullptr) return Check(false, "xml" + name + " != NULL", c.Parent, error, c);
    if (cursor->GetElement() == name) return true;
    return Check(false, "xml" + name + "->GetElement() == \"" + name + "\"", cursor, error, c);
  }
  static bool After(const TXMLItem& element, R& record, TReadError& error, const TContext& c) {
    return c.Then == nullptr || (*c.Then)(element, record, error);
  }
  // The items one after the other, nested to the right; nothing matches an empty sequence.
  static const TDTDItem* SequenceGrammar(const TItems& items, TDTDGrammar& g) {
    if (items.empty()) return g.Make<TDTDEmpty>();
    const TDTDItem* tail = items.back().Grammar(g);
    for (size_t i = items.size() - 1; i-- > 0;)
      tail = g.Make<TDTDConcat>(items[i].Grammar(g), tail);
    return tail;
  }
  // Reads the items from `cursor` on: first those not marked Later, then those.
  static bool ReadSequence(const TItems& items, R& record, const TXMLItem*& cursor,
                           TReadError& error, const TContext& c) {
    const TXMLItem* start = cursor;
    bool anyLater = false;
    for (const TXMLLayout& item : items) {
      anyLater = anyLater || item.Late;
      if (!(item.Late ? item.Node->Skip(cursor, error, c)
                      : item.Node->Read(record, cursor, error, c)))
        return false;
    }
    if (!anyLater) return true;
    for (const TXMLLayout& item : items) {
      if (!(item.Late ? item.Node->Read(record, start, error, c)
                      : item.Node->Skip(start, error, c)))
        return false;
    }
    return true;
  }

  std::shared_ptr<const TNode> Node;
  bool Late = false;
};
