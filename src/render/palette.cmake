# One-dimensional colour palettes, the colouring record and the fractal file.
target_sources(zrender PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TColorPalette1DItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TVoldViewProps.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fractalfile.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TStoredFractal.cpp)
