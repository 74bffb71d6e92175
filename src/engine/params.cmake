# The fractal parameter record and the memory budget of windows.
target_sources(zengine PRIVATE
  TFractProps.cpp
  TMemoryBudget.cpp)
