# Tests of image export, undo and redo, the status of the views, recent files and drops.
zenolith_add_test(test_gui_extras GUI
  SOURCES
    test_extras_undo.cpp
    test_extras_export.cpp
    test_extras_files.cpp
  LIBS zenolith_guitestsupport)
# The export is checked against the command-line renderer.
add_dependencies(test_gui_extras zenolith-render)
