#pragma once
// Another program run by a test as a second user: its standard input and output are pipes
// held by the test, its standard error is the test's. The destructor kills and reaps it.

#include <sys/types.h>
#include <string>
#include <vector>

namespace talmidor {

class ChildProcess {
 public:
  // Starts argv[0] (a path) with these arguments. started() tells whether it could.
  explicit ChildProcess(const std::vector<std::string>& argv);
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool started() const { return pid_ > 0; }
  // The next line of its output, without the newline. False when the output ends first or
  // timeoutMilliseconds pass.
  bool readLine(std::string& line, int timeoutMilliseconds = 10000);
  // Writes to its standard input; false when it no longer reads.
  bool writeInput(const std::string& bytes);
  // Closes its standard input (a holder then lets go).
  void closeInput();
  // Waits for it to end: its exit status, or 128 + the signal that ended it.
  int wait();
  // Ends it at once (SIGKILL), as a crash would.
  void kill();

 private:
  pid_t pid_ = -1;
  int input_ = -1;   // our end of its standard input
  int output_ = -1;  // our end of its standard output
  std::string buffered_;
  int status_ = -1;
};

}  // namespace talmidor
