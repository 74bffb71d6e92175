# paint tests
