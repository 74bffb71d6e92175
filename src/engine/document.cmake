target_sources(zengine PRIVATE TUnit.cpp)
