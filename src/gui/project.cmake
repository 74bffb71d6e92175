# Projects: the project commands of the main window.
target_sources(zgui PRIVATE
  TMainForm_Project.cpp)
