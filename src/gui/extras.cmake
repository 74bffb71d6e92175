# Image export, undo and redo, the status of the views, recent files and dropped files.
target_sources(zgui PRIVATE
  TOrbitJournal.cpp
  TViewState.cpp
  TUndoHistory.cpp
  TViewWave_Undo.cpp
  TViewWave_Status.cpp
  viewstatus.cpp
  imagefile.cpp
  TImageExporter.cpp
  TDlgExportImage.cpp
  TMainForm_Extras.cpp)

