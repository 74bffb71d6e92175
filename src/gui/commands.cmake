# The fractal and project commands of the main window.
target_sources(zgui PRIVATE
  TMainForm_Commands.cpp)
