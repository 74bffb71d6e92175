#pragma once
#include <functional>
#include <string>

/// A path for a temporary file of this process in `folder`: folder + "/.zenolith-<process
/// id>-<n>.tmp", n counting up within the process (safe on any thread). The name is short, so
/// that it fits where the target's own name would.
std::string NewTempFilePath(const std::string& folder);

/// The process id (in decimal) that named the temporary file `name` (a file name without its
/// folder) as NewTempFilePath does, or "" when `name` is not so made.
std::string TempFileWriter(const std::string& name);

/// Whether the process `pid` (decimal) may still be running. An id that cannot be read counts
/// as running, so that nothing is removed on a guess.
bool ProcessMayRun(const std::string& pid);

/// Removes the regular files of `folder` (links are not followed) whose writer, as
/// `writerOf` names it from the file name ("" = none), is a process that has ended: a save
/// killed before its rename left them, and nobody will finish them. Nothing happens when the
/// folder cannot be read.
void RemoveFilesOfEndedProcesses(const std::string& folder,
                                 const std::function<std::string(const std::string&)>& writerOf);

/// RemoveFilesOfEndedProcesses for the temporary files of NewTempFilePath.
void RemoveDeadTempFiles(const std::string& folder);
