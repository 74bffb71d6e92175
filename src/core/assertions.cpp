#include "core/assertions.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/TErrorReport.h"
#include "core/TMessagePresenter.h"

const char* ShortSourceName(const char* path) {
  const char* best = path;
  for (const char* p = std::strstr(path, "src/"); p; p = std::strstr(p + 1, "src/")) best = p + 4;
  return best;
}

void FatalAssertion(const char* condition, const char* source, int line) {
  const std::string text = std::string("Assertion failed: ") + condition + ", file " +
                           ShortSourceName(source) + ", line " + std::to_string(line);
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
  ShowMessage(text, "Assertion failed", TMsgIcon::Error);
  std::abort();
}

void CheckFailed(const char* condition, const char* source, int line) {
  TErrorReport::AssertionReport(condition, ShortSourceName(source), line);
}
