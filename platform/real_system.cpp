#include "platform/real_system.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <ctime>
#include <random>
#include <thread>

#include "platform/platform.h"

namespace talmidor {

namespace {

// Forks and execs argv, the console released for the child, and waits for it.
int runSharingConsole(const std::vector<std::string>& argv, bool searchPath) {
  if (argv.empty() || argv[0].empty()) return -1;
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  Console& console = *platform().console;
  console.suspend();
  // A pipe closed on exec tells the parent whether the exec itself failed.
  int fds[2];
  if (pipe(fds) != 0) {
    console.resume();
    return -1;
  }
  pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    signal(SIGINT, SIG_DFL);
    signal(SIGTERM, SIG_DFL);
    signal(SIGHUP, SIG_DFL);
    if (searchPath) {
      execvp(args[0], args.data());
    } else {
      execv(args[0], args.data());
    }
    int err = errno;
    (void)!write(fds[1], &err, sizeof err);
    _exit(127);
  }
  close(fds[1]);
  int result = -1;
  if (pid > 0) {
    int err = 0;
    ssize_t got;
    do {
      got = read(fds[0], &err, sizeof err);
    } while (got < 0 && errno == EINTR);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (got > 0) {
      result = -1;
    } else if (WIFEXITED(status)) {
      result = WEXITSTATUS(status);
    } else {
      result = 128 + (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    }
  }
  close(fds[0]);
  console.resume();
  return result;
}

}  // namespace

std::string RealSystem::environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

bool RealSystem::changeDirectory(const std::string& hostDirectory) {
  return !hostDirectory.empty() && chdir(hostDirectory.c_str()) == 0;
}

std::string RealSystem::currentDirectory() {
  char buffer[4096];
  return getcwd(buffer, sizeof buffer) ? buffer : "";
}

LocalDate RealSystem::today() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

void RealSystem::pause(int milliseconds) {
  if (milliseconds > 0) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

RealSystem::RealSystem() : engine_(std::random_device{}()) {}

double RealSystem::randomFraction() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(engine_);
}

int RealSystem::runProgram(const std::string& hostPath) {
  return runSharingConsole({hostPath}, false);
}

int RealSystem::runCommand(const std::vector<std::string>& argv) {
  return runSharingConsole(argv, argv.empty() || argv[0].find('/') == std::string::npos);
}

// The terminal backend restores the terminal from its exit handler.
void RealSystem::endProcess(int exitCode) {
  std::exit(exitCode);
}

}  // namespace talmidor
