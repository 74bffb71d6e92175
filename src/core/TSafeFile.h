#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

#include <sys/types.h>

/// One file written so that whatever stood at its place survives any failure or a kill: the
/// bytes go to a temporary file in the target's folder, every write is checked, and Commit
/// fsyncs it and renames it over the target. A target that exists and is not a regular file
/// (a pipe, a device, a socket, a folder) is refused, so that no step ever blocks on it.
/// A link is followed: the file it points to is replaced, not the link. The replacement keeps
/// the owner, group and mode of the file it replaces where the system allows; where it does
/// not, the file is still replaced and Warning() says what changed. Temporary files that
/// saves of ended processes left in the folder are removed when a file is opened there.
class TSafeFile {
public:
  /// How the last step failed.
  enum class TFailure {
    None,
    NotRegular,    ///< the target exists and is neither a regular file nor missing
    CannotCreate,  ///< the target is read-only or a folder, or the temporary file cannot be made
    CannotWrite,   ///< a write, the flush or the close failed (full disk, quota, I/O error)
    CannotReplace  ///< the temporary file could not be renamed over the target
  };

  TSafeFile() = default;
  /// Removes a temporary file that was not committed.
  ~TSafeFile();
  TSafeFile(const TSafeFile&) = delete;
  TSafeFile& operator=(const TSafeFile&) = delete;

  /// Whether `target` may be written: missing, or a regular file with a write permission bit
  /// (a read-only file stays as it is even for a user who could replace it). Touches nothing;
  /// Open checks again.
  bool CheckTarget(const std::string& target);
  /// Checks `target` and creates the temporary file beside it.
  bool Open(const std::string& target);
  /// Writes `size` bytes at the write position (the end, unless Seek moved it). After a
  /// failure every later write fails as well.
  bool Write(const void* data, size_t size);
  /// Moves the write position to `offset` bytes from the start, for formats that complete
  /// their headers at the end (MP4). False when the file is not open or has failed.
  bool Seek(int64_t offset);
  /// The bytes written so far, up to the furthest write; -1 when the file is not open.
  int64_t Size() const;
  /// Gives the file the owner, group and mode of the file it replaces, flushes it to the disk,
  /// closes it and renames it over the target; afterwards syncs the folder. On failure the
  /// temporary file is removed and the target is untouched.
  bool Commit();
  /// Removes the temporary file; the target stays as it was.
  void Abandon();

  TFailure Failure() const { return FailureKind; }
  /// The system's words for the failure, e.g. "No space left on device", "Permission denied",
  /// or NotRegularFileText; empty while nothing failed.
  const std::string& Reason() const { return FailureReason; }
  /// After a Commit that replaced a file whose owner or group could not be kept (only the
  /// owner may give a file away): one sentence naming the file, who it belongs to now and who
  /// it belonged to. Empty otherwise.
  const std::string& Warning() const { return AttributesWarning; }

private:
  bool Fail(TFailure failure, int error);
  // Gives the open temporary file the owner, group and mode of the replaced file, as far as
  // the system allows; false only when the mode cannot be set.
  bool KeepAttributes();

  std::string Target;  // the file to replace, a link resolved
  std::string Temp;
  int Fd = -1;
  bool Existed = false;
  mode_t Mode = 0;
  uid_t Owner = 0;
  gid_t Group = 0;
  std::string AttributesWarning;
  TFailure FailureKind = TFailure::None;
  std::string FailureReason;
};
