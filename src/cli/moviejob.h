#pragma once

struct TRenderOptions;

/// Makes (or, with --keyframes or --assemble, a part of) the zoom movie that `options` asks
/// for, with a progress bar and the time left on a terminal, and a short report on standard
/// output. An interrupt or terminate signal cancels it: the finished keyframes stay, no movie
/// is written. Returns the exit status (0 done, 2 failed, 3 cancelled).
int MakeMovie(const TRenderOptions& options);
