# Tests of projects: the project file on its own and the project commands of the main window.
zenolith_add_test(test_gui_project GUI
  SOURCES
    test_project_file.cpp
    test_project.cpp
  LIBS zenolith_guitestsupport)
