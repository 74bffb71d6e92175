# values and helpers tests
