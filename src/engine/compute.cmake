target_sources(zengine PRIVATE
  TFractArray.cpp
  kernels.cpp
  TCallQueue.cpp
  TThreadVolumeWriter.cpp)
