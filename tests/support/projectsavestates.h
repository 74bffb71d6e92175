#pragma once
// The two projects of the kill test: the one on disk before a save and the one the save
// writes. Every window has its own fractal (its MaxDepth) and lives only as a copy.
#include <string>
#include <vector>

struct TSavedWindow {
  std::string Name;
  int MaxDepth = 0;
  bool operator==(const TSavedWindow&) const = default;
};

/// "old": W0 .. W7; "new": W7 .. W1 with other fractals (reordered, one gone) and a new N.
inline std::vector<TSavedWindow> SaveState(const std::string& which) {
  std::vector<TSavedWindow> windows;
  if (which == "old") {
    for (int i = 0; i < 8; ++i) windows.push_back({"W" + std::to_string(i), 100 + i});
  } else {
    for (int i = 7; i >= 1; --i) windows.push_back({"W" + std::to_string(i), 200 + i});
    windows.push_back({"N", 999});
  }
  return windows;
}
