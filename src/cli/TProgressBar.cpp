#include "cli/TProgressBar.h"

#include <cmath>
#include <cstdio>

#include <unistd.h>

TProgressBar::TProgressBar() : Enabled(::isatty(STDERR_FILENO) == 1) {}

void TProgressBar::Show(long long done, long long total, double secondsLeft) {
  if (!Enabled || total <= 0) return;
  const int percent = static_cast<int>(done * 100 / total);
  constexpr int Width = 40;
  std::string bar(Width, '.');
  bar.replace(0, static_cast<size_t>(percent * Width / 100), percent * Width / 100, '#');
  char line[128];
  std::snprintf(line, sizeof line, "\r[%s] %3d%%", bar.c_str(), percent);
  std::string text = line;
  if (secondsLeft >= 0) {
    const long long s = std::llround(secondsLeft);
    std::snprintf(line, sizeof line, "  %lld:%02lld:%02lld left", s / 3600, s / 60 % 60, s % 60);
    text += line;
  }
  if (text == Shown) return;
  // A shorter line must cover the longer one before it.
  const size_t width = Shown.size();
  Shown = text;
  if (text.size() < width) text.append(width - text.size(), ' ');
  std::fputs(text.c_str(), stderr);
  std::fflush(stderr);
}

void TProgressBar::Finish() {
  if (Enabled && !Shown.empty()) std::fputc('\n', stderr);
}
