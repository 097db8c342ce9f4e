#pragma once
// The console on a real terminal, through ncursesw. The cell grid (code page 850 bytes and PC
// attributes) stays the truth: painting hands curses only the rows that changed, and curses
// sends the terminal the minimal update. Keys are read as raw bytes and decoded by the key
// decoder, not by terminfo, so the modified function keys of every common terminal work.
//
// Screen size: the grid takes the terminal's size at start (at least 80 x 25, else open()
// refuses) and follows later resizes, but never shrinks below 80 x 25: a window made
// smaller for a moment shows the top-left part, and nothing drawn is lost or cut.
//
// The terminal is given back on every way out: the destructor, exit(), SIGINT, SIGTERM and
// SIGHUP (restore, then end by the signal), and the crash signals SIGSEGV, SIGABRT, SIGBUS,
// SIGFPE and SIGILL (restore, then the signal's previous action).

#include <chrono>
#include <memory>
#include <string>

#include "platform/key_decoder.h"
#include "platform/screen_buffer.h"

namespace talmidor {

class TerminalConsole : public BufferedConsole {
 public:
  struct Options {
    int inputFd = 0;
    int outputFd = 1;
    // Terminal type; empty takes TERM.
    std::string term;
    // Signal handlers and the exit handler that give the terminal back. Only one console
    // of a process may have them.
    bool restoreOnExit = true;
    int16_t minimumRows = 25;
    int16_t minimumColumns = 80;
  };

  // Takes over the terminal. Null, with the reason in error, when the descriptors are not a
  // terminal, TERM is unknown or the terminal is smaller than the minimum.
  static std::unique_ptr<TerminalConsole> open(const Options& options, std::string& error);
  // open() with the standard input and output; on failure writes the reason to the standard
  // error and ends the process with status 1.
  static std::unique_ptr<TerminalConsole> openOrExit();

  ~TerminalConsole() override;
  TerminalConsole(const TerminalConsole&) = delete;
  TerminalConsole& operator=(const TerminalConsole&) = delete;

  void beep() override;
  void present() override;
  ConsoleEvent nextEvent() override;
  void waitForInput(int timeoutMilliseconds) override;
  int mouseButtons() override { return mouseButtons_; }
  // Takes effect at the next read, so switching it off and on around a key costs nothing.
  void setMouseReporting(bool on) override { mouseWanted_ = on; }
  bool insertMode() override { return insert_; }
  void setInsertMode(bool on) override { insert_ = on; }
  std::string clipboard() override;
  void setClipboard(const std::string& text) override;
  void suspend() override;
  void resume() override;

  // Gives the terminal back now (the destructor and the exit handler do it too); idempotent.
  void restore();
  // Number of terminal colours in use: 16 or more, 8 (bright shown as bold), or 0.
  int colours() const { return colours_; }

 private:
  struct Curses;
  explicit TerminalConsole(const Options& options);
  bool start(std::string& error);

  // Hands curses the changed rows and the cursor, and updates the terminal.
  void paint();
  void paintRow(int16_t row);
  void applyCursorShape();
  void applyMouse();
  // Picks up a size change signalled by SIGWINCH.
  void checkResize();
  // The grid follows the terminal but keeps at least the minimum size.
  void resizeGrid(int terminalRows, int terminalColumns);
  void readInput();
  bool inputQuiet() const;
  void writeRaw(const std::string& bytes);

  Options options_;
  std::unique_ptr<Curses> curses_;
  KeyDecoderState decoder_;
  std::chrono::steady_clock::time_point lastByte_{};
  int wakePipe_[2] = {-1, -1};
  int colours_ = 0;
  int mouseButtons_ = 0;
  bool mouseWanted_ = false;
  bool mouseOn_ = false;
  bool insert_ = false;
  bool suspended_ = false;
  bool inputClosed_ = false;
  bool active_ = false;
  bool cursorStyleSet_ = false;
  int paintedShape_ = -1;
  int16_t paintedRow_ = 0;
  int16_t paintedColumn_ = 0;
  std::string clipboard_;
};

}  // namespace talmidor
