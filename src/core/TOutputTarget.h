#pragma once
#include <cstddef>
#include <string>

#include "core/TSafeFile.h"

/// Where zenolith-render writes one of its outputs: standard output for "-", otherwise a file
/// that replaces its target only once it is complete (a TSafeFile). Every write is checked;
/// a failure keeps the system's words for it.
class TOutputTarget {
public:
  /// The name that stands for standard output.
  static constexpr const char* StandardOutput = "-";

  /// Whether `path` can take an output, checked before the computation so that a long run
  /// does not end in a refusal: "-", or a path that is missing or a writable regular file.
  /// False with the reason (e.g. "not a regular file").
  static bool Check(const std::string& path, std::string& reason);

  /// Starts the output to `path`.
  bool Open(const std::string& path);
  /// Appends `size` bytes; after a failure every later write fails as well.
  bool Write(const void* data, size_t size);
  /// Completes the output: the file is synced and put in place; standard output, when it is
  /// a regular file, is synced. On failure a file's previous contents stay.
  bool Finish();

  /// The system's words for the first failure, e.g. "No space left on device".
  const std::string& Reason() const { return FailureReason; }
  /// After Finish: the replaced file's owner could not be kept (TSafeFile::Warning), or "".
  const std::string& Warning() const { return File.Warning(); }
  /// How the output is named in messages: "standard output" or the path in double quotes.
  std::string Describe() const;

private:
  bool Fail(int error);

  std::string Path;
  bool ToStandardOutput = false;
  TSafeFile File;
  std::string FailureReason;
};
