# Documents, the fractal parameter record and the project file.
target_sources(zengine PRIVATE
  TUnit.cpp
  TUnit_Project.cpp
  TFractProps.cpp
  TUnitFract.cpp
  projectfile.cpp)
