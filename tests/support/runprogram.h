#pragma once
#include <csignal>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "support/files.h"

extern char** environ;

/// How a program run ended: its exit status (-1 when it was killed for taking too long, 128 +
/// the signal when a signal ended it) and what it wrote to standard output and error.
struct TRun {
  int Status = -1;
  std::string Out, Err;
};

/// Runs `program` with `args`, its output and errors caught in the files `out` and `err`. A
/// program still running after `seconds` is killed (status -1): a read or a write that blocks
/// fails its test instead of hanging the run. The wait is on a pipe that the program inherits
/// and that closes when it ends.
inline TRun RunProgram(const std::string& program, const std::vector<std::string>& args,
                       const std::string& out, const std::string& err, int seconds = 120) {
  int ended[2];
  if (::pipe(ended) != 0) return {};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addclose(&actions, ended[0]);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  TRun run;
  pid_t pid = 0;
  const bool started =
      posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) == 0;
  posix_spawn_file_actions_destroy(&actions);
  ::close(ended[1]);
  if (started) {
    pollfd end{ended[0], POLLIN, 0};
    const bool finished = ::poll(&end, 1, seconds * 1000) > 0;
    if (!finished) ::kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    if (finished) run.Status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  ::close(ended[0]);
  run.Out = FileBytes(out);
  run.Err = FileBytes(err);
  return run;
}
