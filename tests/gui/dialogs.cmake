# Tests of the fractal properties, view properties and palette editor dialogs.
zenolith_add_test(test_gui_dialogs GUI
  SOURCES
    test_colorbox.cpp
    test_dlgfractal.cpp
    test_dlgvoldviewprops.cpp
    test_dlgcolorpalette1d.cpp
  LIBS zenolith_guitestsupport)
set_target_properties(test_gui_dialogs PROPERTIES AUTOMOC ON)
