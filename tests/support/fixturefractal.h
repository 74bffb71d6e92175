#pragma once
#include <string>

#include <gtest/gtest.h>

#include "document/TStoredFractal.h"
#include "document/fractalfile.h"
#include "support/testdata.h"

/// The records of the fixture fractal file `name` in tests/data; a test failure when it
/// cannot be read.
inline TStoredFractal FixtureFractal(const std::string& name) {
  TStoredFractal fractal;
  std::string error;
  EXPECT_TRUE(ReadFractalFile(TestData(name), fractal, error)) << name << ": " << error;
  return fractal;
}
