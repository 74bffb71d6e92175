# palette tests
zenolith_add_test(test_render_palette
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_palette_robustness.cpp
  LIBS zrender zcore zenolith_testsupport)

# colouring record tests
zenolith_add_test(test_render_viewprops
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_viewprops.cpp
  LIBS zrender zengine zcore zenolith_testsupport)
