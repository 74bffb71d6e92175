#pragma once
// Help context numbers: each names one topic of the help window (THelpViewer).

namespace HelpContext {
/// The main window: commands, mouse modes, files. Also the topic of F1 in the main window.
constexpr int MainWindow = 1;
/// The view-properties dialog "Color Fractal".
constexpr int ColorFractal = 3;
/// The fractal properties dialog "Fractal".
constexpr int Fractal = 4;
/// The palette editor "Color Palette".
constexpr int ColorPalette = 5;
/// The register dialog "Register".
constexpr int Register = 24;
/// The selection dialog (created, never shown).
constexpr int SelZoom = 40;
/// The project file dialogs.
constexpr int OpenProject = 53;
constexpr int NewProject = 54;
constexpr int ExportProject = 56;
}  // namespace HelpContext
