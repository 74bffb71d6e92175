#pragma once

class QWidget;

// The look of input fields that a dialog switches on and off.

/// Enables `control` and gives it the window colour of the palette (an editable field).
void EnableEdit(QWidget* control);
/// Disables `control` and gives it the button-face colour of the palette (the dialog surface).
/// With `clearText` a line edit also loses its text; otherwise the text stays visible.
void DisableEdit(QWidget* control, bool clearText);
/// EnableEdit when `enabled`, else DisableEdit with `clearText`.
void SetEditEnabled(QWidget* edit, bool enabled, bool clearText);
