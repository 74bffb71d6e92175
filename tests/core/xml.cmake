# XML dialect tests
