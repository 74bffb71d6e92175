#pragma once
#include <memory>
#include <utility>
#include <vector>

#include "core/TDTDItem.h"

/// Owns the nodes of one or more grammars; the nodes reference each other by plain pointers
/// and live as long as the grammar.
class TDTDGrammar {
public:
  /// Creates a node owned by this grammar and returns it.
  template <class T, class... A>
  T* Make(A&&... args) {
    auto node = std::make_unique<T>(std::forward<A>(args)...);
    T* raw = node.get();
    Nodes.push_back(std::move(node));
    return raw;
  }

private:
  std::vector<std::unique_ptr<TDTDItem>> Nodes;
};
