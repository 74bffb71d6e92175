target_sources(zrender PRIVATE TPixelBuffer.cpp)
