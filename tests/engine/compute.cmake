# compute tests
