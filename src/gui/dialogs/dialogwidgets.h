#pragma once
#include <QRect>

class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// Controls of the dialogs, placed at fixed positions as the dialogs lay them out. Each is owned by
// `parent`; `name` is the object name tests and the help find it by (nullptr for none).

/// A label sized to its caption with its top left corner at (x, y).
QLabel* MakeLabel(QWidget* parent, const char* name, const char* caption, int x, int y);
/// A titled frame covering `at`.
QGroupBox* MakeGroup(QWidget* parent, const char* name, const char* caption, QRect at);
/// A push button with a caption covering `at`.
QPushButton* MakeTextButton(QWidget* parent, const char* name, const char* caption, QRect at);
