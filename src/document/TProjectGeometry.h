#pragma once

/// State of a window as the project file stores it.
enum class TProjectWindowState { Normal, Minimized, Maximized };

/// Place and state of a window as a project stores them ("Left", "Top", "Width", "Height" in
/// pixels and the state element).
class TProjectGeometry {
public:
  int Left = 0;
  int Top = 0;
  int Width = 0;
  int Height = 0;
  TProjectWindowState State = TProjectWindowState::Normal;
};
