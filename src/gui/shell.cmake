# The application shell: main window, dialog bases, small dialogs, prompts, help, icons.
target_sources(zgui PRIVATE
  TPrompter.cpp
  TQtPrompter.cpp
  filefilter.cpp
  TGuiThreadDispatcher.cpp
  TApplication.cpp
  THelpViewer.cpp
  help/help.qrc
  icons.cpp
  cursors.cpp
  TOKDialog.cpp
  TOKRightDlg.cpp
  TOKHelpRightDlg.cpp
  TOKBottomDlg.cpp
  TOKHelpBottomDlg.cpp
  TDlgRegisterWave.cpp
  TAboutBox.cpp
  TDlgSelZoom.cpp
  TMDIChildZenolith.cpp
  TMainForm.cpp
  TMainForm_Actions.cpp
  TMainForm_Windows.cpp)
