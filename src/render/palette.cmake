# One-dimensional colour palettes.
target_sources(zrender PRIVATE ${CMAKE_CURRENT_LIST_DIR}/TColorPalette1DItem.cpp)
