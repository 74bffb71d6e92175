target_sources(zrender PRIVATE)
