#include "testing/tmux_session.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

namespace talmidor {

namespace {

std::atomic<int> sessionCounter{0};

// Runs argv (searched on the PATH) without a shell and collects its standard output.
int runProgram(const std::vector<std::string>& argv, std::string* output) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  int fds[2];
  if (pipe(fds) != 0) return -1;
  pid_t pid = fork();
  if (pid < 0) {
    close(fds[0]);
    close(fds[1]);
    return -1;
  }
  if (pid == 0) {
    dup2(fds[1], STDOUT_FILENO);
    int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
      dup2(null, STDIN_FILENO);
      dup2(null, STDERR_FILENO);
    }
    close(fds[0]);
    close(fds[1]);
    // A test run from inside the developer's tmux must not talk to that server.
    unsetenv("TMUX");
    execvp(args[0], args.data());
    _exit(127);
  }
  close(fds[1]);
  std::string text;
  char buffer[4096];
  for (;;) {
    ssize_t got = read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  if (output) *output = text;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

TmuxSession::TmuxSession() {
  socket_ = "talmidor-test-" + std::to_string(getpid()) + "-" + std::to_string(++sessionCounter);
}

TmuxSession::~TmuxSession() {
  kill();
}

bool TmuxSession::available() {
  return runProgram({"tmux", "-V"}, nullptr) == 0;
}

std::string TmuxSession::shellQuote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

int TmuxSession::tmux(const std::vector<std::string>& arguments, std::string* output) const {
  // -u: the pane's text comes back as UTF-8 whatever locale the tests run in.
  std::vector<std::string> argv{"tmux", "-u", "-L", socket_};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  return runProgram(argv, output);
}

bool TmuxSession::start(const std::string& command, const std::vector<std::string>& environment) {
  Options options;
  options.environment = environment;
  return start(command, options);
}

bool TmuxSession::start(const std::string& command, const Options& options) {
  kill();
  // One tmux invocation: the options are set before the pane exists, so a program that ends
  // at once still leaves its pane (and its exit status) behind.
  std::vector<std::string> args{"-f", "/dev/null", "start-server"};
  auto setOption = [&](const std::string& name, const std::string& value) {
    args.insert(args.end(), {";", "set-option", "-g", name, value});
  };
  setOption("status", "off");
  setOption("remain-on-exit", "on");
  // Without this tmux writes a line at the bottom of the dead pane, scrolling the program's
  // last screen.
  setOption("remain-on-exit-format", "");
  setOption("default-terminal", options.term);
  setOption("history-limit", "0");
  args.insert(args.end(), {";", "new-session", "-d", "-s", "t", "-x",
                           std::to_string(options.columns), "-y", std::to_string(options.rows)});
  if (!options.workingDirectory.empty()) {
    args.push_back("-c");
    args.push_back(options.workingDirectory);
  }
  for (const auto& entry : options.environment) {
    args.push_back("-e");
    args.push_back(entry);
  }
  // tmux does not always collect a pane's exit status (a race in tmux itself), so a shell
  // around the command writes it to a file; the program is that shell's child.
  statusFile_ = (std::filesystem::temp_directory_path() / (socket_ + ".status")).string();
  std::filesystem::remove(statusFile_);
  args.push_back("sh -c " + shellQuote(command) + "; echo $? > " + shellQuote(statusFile_));
  started_ = tmux(args) == 0;
  if (started_) {
    tmux({"display-message", "-p", "#{socket_path}"}, &socketPath_);
    while (!socketPath_.empty() && socketPath_.back() == '\n') socketPath_.pop_back();
  }
  return started_;
}

void TmuxSession::sendKeys(const std::vector<std::string>& keys) {
  std::vector<std::string> args{"send-keys", "-t", "t"};
  args.insert(args.end(), keys.begin(), keys.end());
  tmux(args);
}

void TmuxSession::sendText(const std::string& utf8) {
  tmux({"send-keys", "-t", "t", "-l", utf8});
}

void TmuxSession::resize(int columns, int rows) {
  tmux({"resize-window", "-t", "t", "-x", std::to_string(columns), "-y", std::to_string(rows)});
}

std::string TmuxSession::capture(bool withColours) const {
  std::vector<std::string> args{"capture-pane", "-p", "-t", "t"};
  if (withColours) args.push_back("-e");
  std::string text;
  tmux(args, &text);
  return text;
}

std::vector<std::string> TmuxSession::captureLines(bool withColours) const {
  std::vector<std::string> lines;
  std::istringstream in(capture(withColours));
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

bool TmuxSession::waitFor(const std::string& text, std::chrono::milliseconds timeout) {
  return waitUntil(
      [&](const std::string& screen) { return screen.find(text) != std::string::npos; }, timeout);
}

bool TmuxSession::waitUntil(const std::function<bool(const std::string&)>& condition,
                            std::chrono::milliseconds timeout, bool withColours) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (condition(capture(withColours))) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

bool TmuxSession::exited() const {
  return exitCode() != -1;
}

int TmuxSession::exitCode() const {
  std::ifstream in(statusFile_);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // The shell writes the number and a newline; only a whole line counts.
  if (!started_ || text.empty() || text.back() != '\n') return -1;
  return std::atoi(text.c_str());
}

bool TmuxSession::waitForExit(std::chrono::milliseconds timeout) {
  auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    if (exited()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

std::string TmuxSession::format(const std::string& text) const {
  std::string value;
  if (!started_ || tmux({"display-message", "-p", "-t", "t", text}, &value) != 0) return {};
  while (!value.empty() && value.back() == '\n') value.pop_back();
  return value;
}

int TmuxSession::programPid() const {
  std::string shell = format("#{pane_pid}");
  if (shell.empty()) return -1;
  // The program is the child of the shell that records its exit status.
  std::ifstream children("/proc/" + shell + "/task/" + shell + "/children");
  int pid = -1;
  if (!(children >> pid)) return -1;
  return pid;
}

bool TmuxSession::signalProgram(const std::string& signalName) {
  int pid = programPid();
  if (pid <= 0) return false;
  return runProgram({"kill", "-s", signalName, std::to_string(pid)}, nullptr) == 0;
}

int TmuxSession::command(const std::vector<std::string>& arguments, std::string* output) const {
  return tmux(arguments, output);
}

void TmuxSession::kill() {
  if (!started_) return;
  tmux({"kill-server"});
  started_ = false;
  // tmux leaves the socket file behind; tests start many servers.
  if (!socketPath_.empty()) unlink(socketPath_.c_str());
  socketPath_.clear();
  std::error_code ignored;
  std::filesystem::remove(statusFile_, ignored);
}

}  // namespace talmidor
