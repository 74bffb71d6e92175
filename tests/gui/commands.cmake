# Tests of the fractal and project commands of the main window.
