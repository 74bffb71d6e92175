target_sources(zengine PRIVATE)
