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

# Writes the example gallery's fractal and palette files (examples/render.sh runs it); not
# built by default.
add_executable(zenolith-gallery EXCLUDE_FROM_ALL ${PROJECT_SOURCE_DIR}/examples/makegallery.cpp)
target_include_directories(zenolith-gallery PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(zenolith-gallery PRIVATE zrender zengine zcore)
