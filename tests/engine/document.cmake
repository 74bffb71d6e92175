# document tests
