#pragma once
// A program run inside a private tmux server, for tests of the real terminal: type keys into
// it, read its screen back, and find out how it ended. Each session has its own server
// socket, so tests never see each other's panes (or the developer's own tmux), and the
// server is killed when the session object goes away.

#include <chrono>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

namespace talmidor {

class TmuxSession {
 public:
  struct Options {
    int columns = 80;
    int rows = 25;
    // TERM inside the pane ("screen" and "tmux-256color" are what tmux users get).
    std::string term = "screen";
    // Extra "NAME=value" entries for the program's environment.
    std::vector<std::string> environment;
    // Directory the program starts in; empty keeps the current one.
    std::string workingDirectory;
  };

  TmuxSession();
  ~TmuxSession();
  TmuxSession(const TmuxSession&) = delete;
  TmuxSession& operator=(const TmuxSession&) = delete;

  // True when a tmux program is on the PATH (tests skip themselves otherwise).
  static bool available();
  // Quotes one word for the shell command line given to start().
  static std::string shellQuote(const std::string& word);

  // Starts the command line (run by the shell) in a new pane. False when tmux failed.
  bool start(const std::string& command, const Options& options);
  bool start(const std::string& command, const std::vector<std::string>& environment = {});

  // Keys by tmux name: "F5", "S-F5", "C-Left", "M-x", "BTab", "IC", "Escape", "Enter", "C-q".
  void sendKeys(const std::vector<std::string>& keys);
  void sendKeys(std::initializer_list<std::string> keys) {
    sendKeys(std::vector<std::string>(keys));
  }
  // Types the UTF-8 text literally, character by character.
  void sendText(const std::string& utf8);
  void resize(int columns, int rows);

  // The visible pane as UTF-8 lines joined by "\n"; with colours, the SGR escapes tmux
  // reports for them are kept.
  std::string capture(bool withColours = false) const;
  std::vector<std::string> captureLines(bool withColours = false) const;

  // Polls the pane until it shows the text (or the predicate holds) or the timeout passes.
  bool waitFor(const std::string& text,
               std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));
  bool waitUntil(const std::function<bool(const std::string& screen)>& condition,
                 std::chrono::milliseconds timeout = std::chrono::milliseconds(5000),
                 bool withColours = false);

  // Whether the program has ended; its pane stays, so its last screen can still be read.
  bool exited() const;
  // The program's exit status once it has ended (128 + the signal that ended it, as the
  // shell reports it), -1 while it runs.
  int exitCode() const;
  bool waitForExit(std::chrono::milliseconds timeout = std::chrono::milliseconds(5000));

  // A tmux format evaluated for the pane, such as "#{alternate_on}" or "#{pane_pid}".
  std::string format(const std::string& text) const;
  // Sends the program a signal by name ("TERM", "SEGV"); start it with "exec" so that it
  // reaches the program and not a shell running it.
  bool signalProgram(const std::string& signalName);
  // Process id of the program while it runs, -1 otherwise.
  int programPid() const;
  // Any other tmux command on this session's server ("set-option", "show-buffer", ...); the
  // session's one pane is the target "t". Returns tmux's exit status.
  int command(const std::vector<std::string>& arguments, std::string* output = nullptr) const;

  // Ends the server (also done by the destructor).
  void kill();
  const std::string& socketName() const { return socket_; }

 private:
  // Runs tmux with the arguments on this session's socket; returns its exit status and
  // collects its standard output.
  int tmux(const std::vector<std::string>& arguments, std::string* output = nullptr) const;
  std::string socket_;
  std::string socketPath_;
  std::string statusFile_;
  bool started_ = false;
};

}  // namespace talmidor
