# Documents and the fractal parameter record.
target_sources(zengine PRIVATE
  TUnit.cpp
  TUnit_Project.cpp
  TFractProps.cpp
  TUnitFract.cpp)
