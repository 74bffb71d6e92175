#pragma once
#include <vector>

#include "document/TProjectGeometry.h"
#include "document/TProjectWindow.h"

/// What a project file ("Project") holds: the window-name counter, the main window's place and
/// the windows, bottom of the stack first. The main window hands one in to be written.
class TProjectRecord {
public:
  int NoNameCounter = 0;
  TProjectGeometry Frame;
  std::vector<TProjectWindow> Windows;
};
