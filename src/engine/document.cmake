# Documents, the fractal parameter record, the project file and the memory budget of windows.
target_sources(zengine PRIVATE
  TUnit.cpp
  TUnit_Project.cpp
  TFractProps.cpp
  TUnitFract.cpp
  TMemoryBudget.cpp
  TProjectSave.cpp
  projectfile.cpp
  windowname.cpp)
