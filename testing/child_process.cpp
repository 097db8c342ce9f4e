#include "testing/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>

extern char** environ;

namespace talmidor {

ChildProcess::ChildProcess(const std::vector<std::string>& argv) {
  int in[2], out[2];
  if (argv.empty() || pipe2(in, O_CLOEXEC) != 0) return;
  if (pipe2(out, O_CLOEXEC) != 0) {
    ::close(in[0]);
    ::close(in[1]);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, in[0], 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawn(&pid, argv[0].c_str(), &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(in[0]);
  ::close(out[1]);
  if (rc != 0) {
    ::close(in[1]);
    ::close(out[0]);
    return;
  }
  pid_ = pid;
  input_ = in[1];
  output_ = out[0];
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && status_ < 0) {
    kill();
    wait();
  }
  closeInput();
  if (output_ >= 0) ::close(output_);
}

bool ChildProcess::readLine(std::string& line, int timeoutMilliseconds) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMilliseconds);
  for (;;) {
    size_t newline = buffered_.find('\n');
    if (newline != std::string::npos) {
      line = buffered_.substr(0, newline);
      buffered_.erase(0, newline + 1);
      return true;
    }
    if (output_ < 0) return false;
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    if (left <= 0) return false;
    pollfd p{output_, POLLIN, 0};
    int ready = poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    char chunk[256];
    ssize_t n = ::read(output_, chunk, sizeof chunk);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ::close(output_);
      output_ = -1;
      continue;
    }
    buffered_.append(chunk, static_cast<size_t>(n));
  }
}

bool ChildProcess::writeInput(const std::string& bytes) {
  size_t done = 0;
  while (input_ >= 0 && done < bytes.size()) {
    ssize_t n = ::write(input_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return done == bytes.size();
}

void ChildProcess::closeInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

int ChildProcess::wait() {
  if (pid_ <= 0) return -1;
  if (status_ >= 0) return status_;
  int raw = 0;
  while (waitpid(pid_, &raw, 0) < 0) {
    if (errno != EINTR) return -1;
  }
  status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : WIFSIGNALED(raw) ? 128 + WTERMSIG(raw) : -1;
  return status_;
}

void ChildProcess::kill() {
  if (pid_ > 0 && status_ < 0) ::kill(pid_, SIGKILL);
}

}  // namespace talmidor
