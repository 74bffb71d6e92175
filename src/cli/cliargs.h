#pragma once
#include <string>

/// What the command line of zenolith-render asks for.
struct TRenderOptions {
  std::string Input;      ///< the fractal file
  std::string PngOutput;  ///< the picture to write; empty = none
  std::string DumpOutput; ///< the result array as text; empty = none
  int Width = 0;          ///< client size in pixels; 0 = the file's resolution
  int Height = 0;
  int Threads = 0;         ///< computation threads; 0 = one per core
  bool Reference = false;  ///< the plain scalar kernel on one thread, band by band
};

/// The outcome of reading the arguments.
enum class TCommand { Render, Help, Version, Bad };

/// Reads the arguments after the program name. On Bad, `error` says what is wrong.
TCommand ParseArguments(int argc, const char* const* argv, TRenderOptions& options,
                        std::string& error);

/// The help text, ending with a line end.
const char* UsageText();
