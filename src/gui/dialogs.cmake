# The fractal properties, view properties and palette editor dialogs.
target_sources(zgui PRIVATE
  guialg.cpp
  dialogwidgets.cpp
  TColorBox.cpp
  TPaintBox.cpp
  TDlgColorPalette1D.cpp
  TDlgFractal.cpp
  TDlgVoldViewProps.cpp)
