#pragma once
#include <chrono>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

/// What RunInChild returns when the work did not end within its time.
inline const std::string DidNotFinish = "(did not finish)";

/// Runs `work` in a forked child and returns the text it returns. A child still running after
/// `seconds` is killed and DidNotFinish comes back, so that an open or a write that blocks
/// fails its test instead of hanging the run; a child that crashes gives "(crashed)".
/// The parent waits on the child's end of a pipe, which closes when the child ends.
inline std::string RunInChild(const std::function<std::string()>& work, int seconds = 60) {
  int channel[2];
  if (::pipe(channel) != 0) return "(no pipe)";
  const pid_t child = ::fork();
  if (child < 0) return "(no child)";
  if (child == 0) {
    ::close(channel[0]);
    const std::string result = work();
    for (size_t done = 0; done < result.size();) {
      const ssize_t n = ::write(channel[1], result.data() + done, result.size() - done);
      if (n <= 0) break;
      done += static_cast<size_t>(n);
    }
    ::_exit(0);
  }
  ::close(channel[1]);
  std::string result;
  bool finished = false;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  for (;;) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready{channel[0], POLLIN, 0};
    if (left.count() <= 0 || ::poll(&ready, 1, static_cast<int>(left.count())) == 0) break;
    char buffer[4096];
    const ssize_t n = ::read(channel[0], buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      finished = true;
      break;
    }
    result.append(buffer, static_cast<size_t>(n));
  }
  ::close(channel[0]);
  if (!finished) ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!finished) return DidNotFinish;
  if (!WIFEXITED(status)) return "(crashed)";
  return result;
}

/// A program started with its standard input and output as pipes to this process.
class TPipedProcess {
public:
  /// Starts the program `arguments[0]` with `arguments`; Pid stays 0 when it cannot start.
  explicit TPipedProcess(std::vector<std::string> arguments) {
    int input[2];
    int output[2];
    if (::pipe2(input, O_CLOEXEC) != 0) return;
    if (::pipe2(output, O_CLOEXEC) != 0) {
      ::close(input[0]);
      ::close(input[1]);
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_adddup2(&actions, output[1], 1);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    if (::posix_spawn(&Pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) Pid = 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(input[0]);
    ::close(output[1]);
    Input = input[1];
    Output = output[0];
  }
  ~TPipedProcess() { End(); }
  TPipedProcess(const TPipedProcess&) = delete;
  TPipedProcess& operator=(const TPipedProcess&) = delete;

  /// Closes both pipes and waits for the program's end.
  void End() {
    if (Input >= 0) ::close(Input);
    if (Output >= 0) ::close(Output);
    Input = Output = -1;
    if (Pid > 0) ::waitpid(Pid, nullptr, 0);
    Pid = 0;
  }
  /// Ends it as a crash would.
  void Kill() {
    if (Pid > 0) ::kill(Pid, SIGKILL);
    End();
  }

  pid_t Pid = 0;
  int Input = -1;   ///< the program's standard input
  int Output = -1;  ///< its standard output
};
