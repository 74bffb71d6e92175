#pragma once
#include <chrono>
#include <csignal>
#include <functional>
#include <string>

#include <poll.h>
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
