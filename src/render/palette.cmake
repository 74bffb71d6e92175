# One-dimensional colour palettes and the colouring record.
target_sources(zrender PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TColorPalette1DItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TVoldViewProps.cpp)
