#pragma once
#include <memory>
#include <string>

/// One process's hold on a project: an advisory lock (flock) on a lock file beside the project
/// file, named after its folder of copies ("." + B + "TempSaveFiles.lock" for the project
/// D/B.ext), so that project files sharing a folder of copies share the lock. Only the holder
/// writes or deletes anything in the folder of copies. The kernel drops the lock when the
/// process ends, even by a kill, so a lock file left behind never blocks: the next process takes
/// it over. The lock file names the process that holds it. Locks of one process on the same
/// project share one hold; the last one to go removes the lock file.
///   TProjectLock lock(path);
///   if (lock.State() == TProjectLock::TState::HeldElsewhere) ... lock.Holder() ...
class TProjectLock {
public:
  enum class TState {
    Held,           ///< this process holds the project
    HeldElsewhere,  ///< another running process holds it (Holder())
    Unavailable     ///< no lock could be made here (Reason()); nothing can be saved beside it
  };

  /// Takes the lock of the project file `projectFile` (an absolute path) without waiting.
  explicit TProjectLock(const std::string& projectFile);
  /// Gives the lock up; the last hold of the process removes the lock file.
  ~TProjectLock();
  TProjectLock(const TProjectLock&) = delete;
  TProjectLock& operator=(const TProjectLock&) = delete;

  TState State() const { return LockState; }
  bool Held() const { return LockState == TState::Held; }
  /// The project file the lock was taken for.
  const std::string& ProjectFile() const { return Project; }
  /// With HeldElsewhere: the holder's process id in decimal ("" when its lock file is unreadable).
  const std::string& Holder() const { return HolderId; }
  /// With Unavailable: the system's words for why.
  const std::string& Reason() const { return FailureReason; }

  /// Whether this process holds the lock of `projectFile` (through any TProjectLock).
  static bool HeldHere(const std::string& projectFile);
  /// The lock file of `projectFile`; false with the path splitter's message when the path
  /// names no folder.
  static bool LockFileOf(const std::string& projectFile, std::string& lockFile,
                         std::string& errorText);
  /// "The project "<file>" is open in another Zenolith (process <id>)."
  static std::string InUseText(const std::string& projectFile, const std::string& holder);

  struct THold;

private:
  std::string Project;
  TState LockState = TState::Unavailable;
  std::string HolderId;
  std::string FailureReason;
  std::shared_ptr<THold> Hold;
};
