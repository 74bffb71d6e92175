# document tests
zenolith_add_test(test_engine_document
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_fractprops.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_unitfract.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_project_file.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/TProjectWalker.cpp
  LIBS zengine zcore zenolith_testsupport)
