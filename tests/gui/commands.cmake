# Tests of the fractal and project commands of the main window.
zenolith_add_test(test_gui_commands GUI
  SOURCES
    test_commands.cpp
  LIBS zenolith_guitestsupport)
