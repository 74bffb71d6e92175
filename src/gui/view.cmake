# The fractal view and the fractal child window.
target_sources(zgui PRIVATE
  TQtOrbitCanvas.cpp
  TViewWave.cpp
  TMDIChildWave.cpp
  TMDIChildWave_Xml.cpp)
