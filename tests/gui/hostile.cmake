# Hostile input, file faults, broken files and load, through the running program.
zenolith_add_test(test_gui_hostile GUI
  SOURCES
    test_badfiles_gui.cpp
    test_hostile_gui.cpp
    test_hostile_faults.cpp
    test_load.cpp
  LIBS zenolith_guitestsupport)
