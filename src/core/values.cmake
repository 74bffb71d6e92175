# Values with units, their number syntax and formatters, and the path helpers.
target_sources(zcore PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/numberformat.cpp
  ${CMAKE_CURRENT_LIST_DIR}/numberparse.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unitFactor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unitInteger.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unitTime.cpp
  ${CMAKE_CURRENT_LIST_DIR}/unitColor.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pathsplit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TOutputTarget.cpp)
