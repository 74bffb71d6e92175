# Projects: the project file and its copies (Qt-free), and the project commands of the main
# window.
target_sources(zgui PRIVATE
  projectfile.cpp
  TProjectWalker.cpp
  TMainForm_Project.cpp)
