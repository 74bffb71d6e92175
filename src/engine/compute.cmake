target_sources(zengine PRIVATE TFractArray.cpp)
