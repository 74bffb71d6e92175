#include "cli/cliargs.h"

#include <charconv>
#include <string_view>

#include "cli/TOutputTarget.h"

namespace {

// A positive decimal integer that fits an int, and nothing else.
bool ParsePositive(std::string_view text, int& value) {
  if (text.empty() || text.front() < '0' || text.front() > '9') return false;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && value > 0;
}

bool ParseSize(std::string_view text, int& width, int& height) {
  const size_t x = text.find('x');
  return x != std::string_view::npos && ParsePositive(text.substr(0, x), width) &&
         ParsePositive(text.substr(x + 1), height);
}

}  // namespace

const char* UsageText() {
  // help2man makes the manual page of this text: one usage line, then sections whose title
  // ends in a colon.
  return "Usage: zenolith-render FILE.zlf -o OUT.png [--size WxH] [--dump OUT.tsv] [--threads N] "
         "[--reference]\n"
         "Computes the fractal of a Zenolith fractal file and writes the picture that a fractal\n"
         "window of WxH pixels shows of it (default: the file's resolution), without orbits.\n"
         "\n"
         "Options:\n"
         "  -o, --output OUT.png  write the picture as PNG (\"-\": to standard output)\n"
         "  --size WxH            size of the picture in pixels, e.g. 800x600\n"
         "  --dump OUT.tsv        write the depth and cycle period of every point as text\n"
         "                        (\"-\": to standard output)\n"
         "  --threads N           compute on N threads (default: one per core)\n"
         "  --reference           compute with the plain reference kernel on one thread\n"
         "  --help                show this help\n"
         "  --version             show the version\n"
         "\n"
         "At least one of -o and --dump is needed. An output file is replaced only once it is\n"
         "complete; pipes and devices are refused as outputs (use \"-\" and redirect).\n"
         "\n"
         "Exit status:\n"
         "  0  done\n"
         "  1  bad arguments\n"
         "  2  the file cannot be read, the picture is too large, or an output cannot be written\n";
}

TCommand ParseArguments(int argc, const char* const* argv, TRenderOptions& options,
                        std::string& error) {
  // Help and version win wherever they stand, as with most tools.
  for (int k = 0; k < argc; ++k) {
    const std::string_view arg = argv[k];
    if (arg == "--help" || arg == "-h") return TCommand::Help;
    if (arg == "--version") return TCommand::Version;
  }
  for (int k = 0; k < argc; ++k) {
    const std::string_view arg = argv[k];
    const bool takesValue = arg == "-o" || arg == "--output" || arg == "--size" ||
                            arg == "--dump" || arg == "--threads";
    if (arg == "--reference") {
      options.Reference = true;
      continue;
    }
    if (takesValue) {
      if (k + 1 >= argc) {
        error = "missing value after " + std::string(arg);
        return TCommand::Bad;
      }
      const std::string_view value = argv[++k];
      if (arg == "--threads") {
        if (!ParsePositive(value, options.Threads) || options.Threads > 1024) {
          error = "--threads needs a whole number from 1 to 1024, not \"" + std::string(value) +
                  "\"";
          return TCommand::Bad;
        }
      } else if (arg == "--size") {
        if (!ParseSize(value, options.Width, options.Height)) {
          error = "--size needs WIDTHxHEIGHT with two positive whole numbers, not \"" +
                  std::string(value) + "\"";
          return TCommand::Bad;
        }
      } else if (value.empty()) {
        error = "empty file name after " + std::string(arg);
        return TCommand::Bad;
      } else if (arg == "--dump") {
        options.DumpOutput = value;
      } else {
        options.PngOutput = value;
      }
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
  if (options.Input.empty()) {
    error = "no fractal file given";
    return TCommand::Bad;
  }
  if (options.PngOutput.empty() && options.DumpOutput.empty()) {
    error = "nothing to write: give -o OUT.png or --dump OUT.tsv";
    return TCommand::Bad;
  }
  if (options.PngOutput == TOutputTarget::StandardOutput &&
      options.DumpOutput == TOutputTarget::StandardOutput) {
    error = "-o and --dump cannot both write to standard output";
    return TCommand::Bad;
  }
  return TCommand::Render;
}
