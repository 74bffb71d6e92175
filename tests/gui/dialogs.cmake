# Tests of the fractal properties, view properties and palette editor dialogs.
