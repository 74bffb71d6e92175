# palette tests
