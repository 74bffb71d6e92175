# Tests of the fractal view and the fractal child window.
