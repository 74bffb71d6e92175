# The fractal properties, view properties and palette editor dialogs.
target_sources(zgui PRIVATE)
