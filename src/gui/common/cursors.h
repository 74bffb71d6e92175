#pragma once
#include <QCursor>

// The program's own mouse cursors, drawn in code. Ids as the view selects them.

constexpr int CURSOR_DRAW = 1;      ///< drawing orbit points
constexpr int CURSOR_DELETE = 2;    ///< no mode uses it
constexpr int CURSOR_REJECT = 3;    ///< no mode uses it
constexpr int CURSOR_ZOOMIN = 4;    ///< zoom in
constexpr int CURSOR_ZOOMOUT = 5;   ///< zoom out
constexpr int CURSOR_MAND2JUL = 6;  ///< Julia window from a point

/// Side of a cursor image in pixels.
constexpr int CursorImageSize = 32;

/// Builds the six cursors (once; later calls do nothing). Needs the application object.
void LoadCursors();
/// The cursor with the id; 0 and unknown ids give the standard arrow.
QCursor CursorById(int id);
/// Resource name of a custom cursor ("DRAW", "DELETE", "REJECT", "ZOOMIN", "ZOOMOUT",
/// "MAND2JUL"); empty for other ids.
const char* CursorResourceName(int id);
