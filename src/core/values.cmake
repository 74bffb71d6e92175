target_sources(zcore PRIVATE)
