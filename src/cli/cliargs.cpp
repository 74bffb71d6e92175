#include "cli/cliargs.h"

#include <charconv>
#include <cmath>
#include <string_view>

#include "core/TOutputTarget.h"

namespace {

// A positive decimal integer that fits an int, and nothing else.
bool ParsePositive(std::string_view text, int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value > 0;
}

// A whole number from 0 up that fits an int.
bool ParseCount(std::string_view text, int& value) {
  if (text == "0") {
    value = 0;
    return true;
  }
  return ParsePositive(text, value);
}

// A finite decimal number above 0, without sign or exponent ("29.97").
bool ParsePositiveNumber(std::string_view text, double& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value,
                                         std::chars_format::fixed);
  return ec == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
         value > 0;
}

bool ParsePair(std::string_view text, char separator, int& first, int& second,
               bool (*parse)(std::string_view, int&)) {
  const size_t at = text.find(separator);
  return at != std::string_view::npos && parse(text.substr(0, at), first) &&
         parse(text.substr(at + 1), second);
}

bool ParseSize(std::string_view text, int& width, int& height) {
  return ParsePair(text, 'x', width, height, ParsePositive);
}

// The options that take a value.
bool TakesValue(std::string_view arg) {
  for (const char* option : {"-o", "--output", "--size", "--dump", "--threads", "--movie",
                             "--start", "--fps", "--seconds", "--zoom-rate", "--keyframes",
                             "--keyframe-folder", "--keyframe-size"})
    if (arg == option) return true;
  return false;
}

// The options that only a movie takes.
bool MovieOnly(std::string_view arg) {
  for (const char* option : {"--start", "--fps", "--seconds", "--zoom-rate", "--zoom-in",
                             "--full-frames", "--resume", "--keyframes", "--assemble",
                             "--keyframe-folder", "--keyframe-size", "--keyframe-count"})
    if (arg == option) return true;
  return false;
}

// Reads the value of `arg`; false with the message.
bool ReadValue(std::string_view arg, std::string_view value, TRenderOptions& options,
               std::string& error) {
  const auto bad = [&](const std::string& wants) {
    error = std::string(arg) + " needs " + wants + ", not \"" + std::string(value) + "\"";
    return false;
  };
  TMovieSettings& movie = options.Movie;
  if (arg == "--threads") {
    if (!ParsePositive(value, options.Threads) || options.Threads > 1024)
      return bad("a whole number from 1 to 1024");
  } else if (arg == "--size") {
    if (!ParseSize(value, options.Width, options.Height))
      return bad("WIDTHxHEIGHT with two positive whole numbers");
  } else if (arg == "--keyframe-size") {
    if (!ParseSize(value, movie.KeyWidth, movie.KeyHeight))
      return bad("WIDTHxHEIGHT with two positive whole numbers");
  } else if (arg == "--fps") {
    if (!ParsePositiveNumber(value, movie.FramesPerSecond)) return bad("a number above 0");
  } else if (arg == "--seconds") {
    if (!ParsePositiveNumber(value, movie.Seconds)) return bad("a number above 0");
  } else if (arg == "--zoom-rate") {
    if (!ParsePositiveNumber(value, movie.ZoomPerSecond) || movie.ZoomPerSecond <= 1)
      return bad("a factor a second above 1");
  } else if (arg == "--keyframes") {
    if (!ParsePair(value, '-', options.FirstKeyframe, options.LastKeyframe, ParseCount) ||
        options.FirstKeyframe > options.LastKeyframe)
      return bad("FIRST-LAST with two whole numbers, the first not above the last");
  } else if (value.empty()) {
    error = "empty file name after " + std::string(arg);
    return false;
  } else if (arg == "--dump") {
    options.DumpOutput = value;
  } else if (arg == "--movie") {
    options.MovieOutput = value;
  } else if (arg == "--start") {
    options.StartInput = value;
  } else if (arg == "--keyframe-folder") {
    options.KeyframeFolder = value;
  } else {
    options.PngOutput = value;
  }
  return true;
}

// What is wrong with the combination of options, or empty.
std::string CheckCombination(const TRenderOptions& options, bool movieOptionGiven) {
  if (options.Input.empty()) return "no fractal file given";
  if (!options.MovieOutput.empty()) {
    if (!options.PngOutput.empty() || !options.DumpOutput.empty())
      return "--movie makes a movie alone: leave out -o and --dump";
    if (options.Reference) return "--reference makes pictures only";
    if (options.AssembleOnly && options.FirstKeyframe >= 0)
      return "--assemble and --keyframes are separate runs";
    return std::string();
  }
  if (movieOptionGiven) return "the movie options need --movie OUT.mp4";
  if (options.PngOutput.empty() && options.DumpOutput.empty())
    return "nothing to write: give -o OUT.png, --dump OUT.tsv or --movie OUT.mp4";
  if (options.PngOutput == TOutputTarget::StandardOutput &&
      options.DumpOutput == TOutputTarget::StandardOutput)
    return "-o and --dump cannot both write to standard output";
  return std::string();
}

}  // namespace

const char* UsageText() {
  // help2man makes the manual page of this text: usage lines, then sections whose title ends
  // in a colon.
  return "Usage: zenolith-render FILE.zlf -o OUT.png [--size WxH] [--dump OUT.tsv] [--threads N] "
         "[--reference]\n"
         "  or:  zenolith-render FILE.zlf --movie OUT.mp4 [--size WxH] [--fps N] [--seconds S | "
         "--zoom-rate F] [--start WIDE.zlf] [--zoom-in] [--full-frames] [--resume] "
         "[--keyframes A-B | --assemble]\n"
         "Computes the fractal of a Zenolith fractal file and writes the picture that a fractal\n"
         "window of WxH pixels shows of it (default: the file's resolution), without orbits;\n"
         "or makes a zoom movie between the file's view and a wide view.\n"
         "\n"
         "Options:\n"
         "  -o, --output OUT.png  write the picture as PNG (\"-\": to standard output)\n"
         "  --size WxH            size of the picture or of the movie's frames in pixels,\n"
         "                        e.g. 800x600 (movies: default 1280x720)\n"
         "  --dump OUT.tsv        write the depth and cycle period of every point as text\n"
         "                        (\"-\": to standard output)\n"
         "  --threads N           compute on N threads (default: one per core)\n"
         "  --reference           compute with the plain reference kernel on one thread\n"
         "  --help                show this help\n"
         "  --version             show the version\n"
         "\n"
         "Zoom movies:\n"
         "  --movie OUT.mp4       make a zoom movie: H.264 in MP4, or OUT.png for numbered\n"
         "                        pictures OUT-00000.png, OUT-00001.png, ...\n"
         "  --start WIDE.zlf      the wide end of the movie (default: the formula's whole view)\n"
         "  --fps N               frames a second (default 30)\n"
         "  --seconds S           length of the movie\n"
         "  --zoom-rate F         zoom by F a second instead (default 2)\n"
         "  --zoom-in             from the wide view into the file's view (default: out)\n"
         "  --full-frames         compute every frame in full instead of resampling keyframes\n"
         "  --keyframe-folder DIR keep the keyframes in DIR (default: OUT.keyframes beside the\n"
         "                        movie)\n"
         "  --keyframe-size WxH   keyframe size (default: twice the frame size)\n"
         "  --resume              keep the keyframes already in the folder\n"
         "  --keyframes A-B       only compute keyframes A to B into the folder (no movie),\n"
         "                        keeping those there\n"
         "  --assemble            only make the movie from a full folder of keyframes\n"
         "  --keyframe-count      print the number of keyframes and stop\n"
         "\n"
         "At least one of -o, --dump and --movie is needed. An output file is replaced only once\n"
         "it is complete; pipes and devices are refused as outputs (use \"-\" and redirect).\n"
         "\n"
         "Exit status:\n"
         "  0  done\n"
         "  1  bad arguments\n"
         "  2  the file cannot be read, the picture is too large, or an output cannot be written\n"
         "  3  the movie was cancelled (interrupt or terminate signal); finished keyframes stay\n";
}

TCommand ParseArguments(int argc, const char* const* argv, TRenderOptions& options,
                        std::string& error) {
  // Help and version win wherever they stand, as with most tools.
  for (int k = 0; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (arg == "--help" || arg == "-h") return TCommand::Help;
    if (arg == "--version") return TCommand::Version;
  }
  bool movieOptionGiven = false;
  for (int k = 0; k < argc; ++k) {
    const std::string_view arg = argv[k];
    movieOptionGiven = movieOptionGiven || MovieOnly(arg);
    if (arg == "--reference") {
      options.Reference = true;
    } else if (arg == "--zoom-in") {
      options.Movie.ZoomIn = true;
    } else if (arg == "--full-frames") {
      options.Movie.FullFrames = true;
    } else if (arg == "--resume") {
      options.Resume = true;
    } else if (arg == "--assemble") {
      options.AssembleOnly = true;
    } else if (arg == "--keyframe-count") {
      options.PrintKeyframeCount = true;
    } else if (TakesValue(arg)) {
      if (k + 1 >= argc) {
        error = "missing value after " + std::string(arg);
        return TCommand::Bad;
      }
      if (!ReadValue(arg, argv[++k], options, error)) return TCommand::Bad;
    } else if (arg.size() > 1 && arg.front() == '-') {
      error = "unknown option " + std::string(arg);
      return TCommand::Bad;
    } else if (!options.Input.empty()) {
      error = "more than one fractal file";
      return TCommand::Bad;
    } else if (arg.empty()) {
      error = "empty fractal file name";
      return TCommand::Bad;
    } else {
      options.Input = arg;
    }
  }
  error = CheckCombination(options, movieOptionGiven);
  if (!error.empty()) return TCommand::Bad;
  if (!options.MovieOutput.empty()) {
    options.Movie.Width = options.Width > 0 ? options.Width : 1280;
    options.Movie.Height = options.Height > 0 ? options.Height : 720;
  }
  return TCommand::Render;
}
