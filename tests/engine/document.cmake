# document tests
zenolith_add_test(test_engine_document
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_fractprops.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_unitfract.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_project_file.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_window_limits.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/TProjectWalker.cpp
  LIBS zengine zcore zenolith_testsupport)

# Project saves killed at each file step: a helper program that saves a project, a library
# preloaded into it that kills it before a chosen file operation, and the test that runs both.
add_executable(zenolith_projectsave_helper ${CMAKE_CURRENT_LIST_DIR}/projectsave_helper.cpp)
target_link_libraries(zenolith_projectsave_helper PRIVATE zrender zengine zcore ${CMAKE_DL_LIBS})
target_include_directories(zenolith_projectsave_helper PRIVATE ${PROJECT_SOURCE_DIR}/tests)
add_library(zenolith_killpoint MODULE ${CMAKE_CURRENT_LIST_DIR}/killpoint.cpp)
target_link_libraries(zenolith_killpoint PRIVATE ${CMAKE_DL_LIBS})
zenolith_add_test(test_engine_projectsave
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/test_project_save.cpp
    ${PROJECT_SOURCE_DIR}/tests/support/TProjectWalker.cpp
  LIBS zrender zengine zcore zenolith_testsupport)
target_compile_definitions(test_engine_projectsave PRIVATE
  ZENOLITH_KILLPOINT="$<TARGET_FILE:zenolith_killpoint>"
  ZENOLITH_PROJECTSAVE_HELPER="$<TARGET_FILE:zenolith_projectsave_helper>")
add_dependencies(test_engine_projectsave zenolith_killpoint zenolith_projectsave_helper)
