# Tests of the project commands of the main window.
zenolith_add_test(test_gui_project GUI
  SOURCES
    test_project.cpp
  LIBS zenolith_guitestsupport)
