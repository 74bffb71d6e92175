find_package(ZLIB REQUIRED)
# paint tests
zenolith_add_test(test_render_paint
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_painting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_orbits.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_pngfiles.cpp
  LIBS zrender zengine zcore zenolith_testsupport ZLIB::ZLIB)
