#pragma once
#include <string>

#include "movie/TMovieSettings.h"

/// What the command line of zenolith-render asks for.
struct TRenderOptions {
  std::string Input;      ///< the fractal file
  std::string PngOutput;  ///< the picture to write; empty = none
  std::string DumpOutput; ///< the result array as text; empty = none
  int Width = 0;          ///< client size in pixels; 0 = the file's resolution
  int Height = 0;
  int Threads = 0;         ///< computation threads; 0 = one per core
  bool Reference = false;  ///< the plain scalar kernel on one thread, band by band

  /// The zoom movie to make (".mp4" or ".png" for numbered pictures); empty = none. Width and
  /// Height above are its frame size (default 1280 x 720).
  std::string MovieOutput;
  std::string StartInput;      ///< the movie's wide view; empty = the formula's whole view
  std::string KeyframeFolder;  ///< empty = beside the movie (TKeyframeFolder::BesideOutput)
  TMovieSettings Movie;        ///< its size is set from Width and Height
  bool Resume = false;         ///< keep the keyframes that are there
  bool AssembleOnly = false;   ///< make the movie from the full folder, compute nothing
  int FirstKeyframe = -1;      ///< --keyframes A-B: compute only these; -1 = not given
  int LastKeyframe = -1;
  bool PrintKeyframeCount = false;  ///< print the number of keyframes and stop
};

/// The outcome of reading the arguments.
enum class TCommand { Render, Help, Version, Bad };

/// Reads the arguments after the program name. On Bad, `error` says what is wrong.
TCommand ParseArguments(int argc, const char* const* argv, TRenderOptions& options,
                        std::string& error);

/// The help text, ending with a line end.
const char* UsageText();
