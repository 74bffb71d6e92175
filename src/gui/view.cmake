# The fractal view and the fractal child window.
target_sources(zgui PRIVATE)
