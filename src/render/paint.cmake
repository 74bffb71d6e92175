# The pixel buffer, painting the result array into it, and the orbit points.
target_sources(zrender PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/TPixelBuffer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/painting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pngwriter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pngreader.cpp
  ${CMAKE_CURRENT_LIST_DIR}/checksum.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDeepOrbit.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDrawPoint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TStartDrawPoint.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TDrawPointsList.cpp)
