# Tests of the fractal view and the fractal child window.
zenolith_add_test(test_gui_view GUI
  SOURCES
    test_viewwave.cpp
    test_mdichildwave.cpp
  LIBS zenolith_guitestsupport)
