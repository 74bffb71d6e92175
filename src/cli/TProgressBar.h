#pragma once
#include <string>

/// A progress bar on standard error when it is a terminal, redrawn only when what it shows
/// changes: "[####....]  42%", with the time left when one is given.
class TProgressBar {
public:
  TProgressBar();
  /// Shows `done` of `total`; with `secondsLeft` >= 0 also " 1:02:03 left". Nothing when
  /// standard error is no terminal or `total` is not positive.
  void Show(long long done, long long total, double secondsLeft = -1);
  /// Ends the bar's line, when one was drawn.
  void Finish();

private:
  const bool Enabled;
  std::string Shown;
};
