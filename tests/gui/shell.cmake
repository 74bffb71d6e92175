# Tests of the application shell: main window, dialogs, prompts, help, images.
zenolith_add_test(test_gui_shell GUI
  SOURCES
    test_mainform_actions.cpp
    test_mainform_windows.cpp
    test_commandline.cpp
    test_dialogs.cpp
    test_help.cpp
    test_prompter.cpp
    test_images.cpp
  LIBS zenolith_guitestsupport)
set_target_properties(test_gui_shell PROPERTIES AUTOMOC ON)
