# palette tests
zenolith_add_test(test_render_palette
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_palette.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_palette_robustness.cpp
  LIBS zrender zcore zenolith_testsupport)

# colouring record and fractal file tests
zenolith_add_test(test_render_fractalfile
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_viewprops.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_fractalfile.cpp
  LIBS zrender zengine zcore zenolith_testsupport)

# broken files and file faults
zenolith_add_test(test_render_badfiles
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_badfiles.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_filefaults.cpp
  LIBS zrender zengine zcore zenolith_testsupport)
