# XML dialect tests
zenolith_add_test(test_core_xml
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_xml_writer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_xml_reader.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_files.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_xml_layout.cpp
  LIBS zcore zenolith_testsupport)
