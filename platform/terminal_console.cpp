#include "platform/terminal_console.h"

// curses.h stays in this file: its macros would clash with the console's own names.
#define NCURSES_WIDECHAR 1
#define NCURSES_NOMACROS 1
#include <curses.h>
#include <fcntl.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <iostream>
#include <vector>

#include "platform/cp850.h"

namespace talmidor {

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kCrashSignals[] = {SIGSEGV, SIGABRT, SIGBUS, SIGFPE, SIGILL};
constexpr std::string_view kMouseOn = "\x1b[?1000h\x1b[?1006h";
constexpr std::string_view kMouseOff = "\x1b[?1006l\x1b[?1000l";

// What the signal and exit handlers need to give the terminal back. Filled while a console
// holds the terminal; the handlers only write these bytes and reset the terminal modes,
// which is safe inside a signal handler.
struct ExitGuard {
  TerminalConsole* console = nullptr;
  int inputFd = -1;
  int outputFd = -1;
  termios savedModes{};
  bool haveModes = false;
  char restoreBytes[512] = {};
  size_t restoreLength = 0;
  volatile sig_atomic_t suspended = 0;
  volatile sig_atomic_t resized = 0;
  int wakeFd = -1;
  bool exitHandlerRegistered = false;
  bool handlersInstalled = false;
  struct sigaction previous[NSIG] = {};
  struct sigaction previousResize = {};
};

ExitGuard exitGuard;

void writeAll(int fd, const char* bytes, size_t length) {
  while (length > 0) {
    ssize_t written = ::write(fd, bytes, length);
    if (written < 0) {
      if (errno == EINTR) continue;
      return;
    }
    bytes += written;
    length -= static_cast<size_t>(written);
  }
}

void restoreFromSignal() {
  if (exitGuard.suspended) return;  // the terminal belongs to the program we started
  writeAll(exitGuard.outputFd, exitGuard.restoreBytes, exitGuard.restoreLength);
  if (exitGuard.haveModes) tcsetattr(exitGuard.inputFd, TCSANOW, &exitGuard.savedModes);
}

void onEndingSignal(int signalNumber, siginfo_t* info, void*) {
  int savedErrno = errno;
  // Ctrl+C typed to a program we started reaches us too: that program decides.
  if (signalNumber == SIGINT && exitGuard.suspended) {
    errno = savedErrno;
    return;
  }
  restoreFromSignal();
  exitGuard.restoreLength = 0;
  sigaction(signalNumber, &exitGuard.previous[signalNumber], nullptr);
  bool fault = signalNumber != SIGABRT && signalNumber != SIGINT && signalNumber != SIGTERM &&
               signalNumber != SIGHUP && info != nullptr && info->si_code > 0;
  // A real fault happens again when the handler returns, now under the previous action
  // (the default, or a sanitizer's report); a sent signal is sent again.
  if (!fault) raise(signalNumber);
  errno = savedErrno;
}

void onResize(int) {
  int savedErrno = errno;
  exitGuard.resized = 1;
  if (exitGuard.wakeFd >= 0) {
    char wake = 'w';
    (void)!::write(exitGuard.wakeFd, &wake, 1);
  }
  errno = savedErrno;
}

void installHandlers() {
  struct sigaction action {};
  sigemptyset(&action.sa_mask);
  action.sa_sigaction = onEndingSignal;
  action.sa_flags = SA_SIGINFO;
  auto install = [&](int signalNumber) {
    struct sigaction previous {};
    sigaction(signalNumber, nullptr, &previous);
    exitGuard.previous[signalNumber] = previous;
    // A signal the process was told to ignore (nohup) stays ignored.
    if (!(previous.sa_flags & SA_SIGINFO) && previous.sa_handler == SIG_IGN) return;
    sigaction(signalNumber, &action, nullptr);
  };
  for (int s : kEndingSignals) install(s);
  for (int s : kCrashSignals) install(s);
  struct sigaction resize {};
  sigemptyset(&resize.sa_mask);
  resize.sa_handler = onResize;
  resize.sa_flags = SA_RESTART;
  sigaction(SIGWINCH, &resize, &exitGuard.previousResize);
  exitGuard.handlersInstalled = true;
}

void uninstallHandlers() {
  if (!exitGuard.handlersInstalled) return;
  for (int s : kEndingSignals) sigaction(s, &exitGuard.previous[s], nullptr);
  for (int s : kCrashSignals) sigaction(s, &exitGuard.previous[s], nullptr);
  sigaction(SIGWINCH, &exitGuard.previousResize, nullptr);
  exitGuard.handlersInstalled = false;
}

void restoreAtExit() {
  if (exitGuard.console) exitGuard.console->restore();
}

// A terminfo string capability, empty when the terminal has none.
std::string capability(const char* name) {
  char* value = tigetstr(name);
  if (value == nullptr || value == reinterpret_cast<char*>(-1)) return {};
  return value;
}

std::string withParameter(const std::string& format, int parameter) {
  if (format.empty()) return {};
  const char* text = tiparm(format.c_str(), parameter);
  return text ? text : "";
}

bool utf8Locale() {
  const char* codeset = nl_langinfo(CODESET);
  return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

// Only the character type is taken from the environment: the number formats of the
// operator's locale must not reach the program's own number conversions.
bool chooseUtf8Locale() {
  if (std::setlocale(LC_CTYPE, "") && utf8Locale()) return true;
  if (std::setlocale(LC_CTYPE, "C.UTF-8") && utf8Locale()) return true;
  std::setlocale(LC_CTYPE, "C");
  return false;
}

int dupCloseOnExec(int fd) {
  return fcntl(fd, F_DUPFD_CLOEXEC, 3);
}

bool onPath(const std::string& program) {
  const char* path = std::getenv("PATH");
  if (!path) return false;
  std::string directories = path;
  size_t start = 0;
  while (start <= directories.size()) {
    size_t end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string candidate = end > start ? directories.substr(start, end - start) : ".";
    candidate.push_back('/');
    candidate.append(program);
    if (access(candidate.c_str(), X_OK) == 0) return true;
    start = end + 1;
  }
  return false;
}

bool hasEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value && *value;
}

// Starts argv with the given standard input and output (-1: /dev/null), errors discarded.
pid_t spawn(const std::vector<std::string>& argv, int input, int output) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = fork();
  if (pid != 0) return pid;
  int null = ::open("/dev/null", O_RDWR);
  dup2(input >= 0 ? input : null, STDIN_FILENO);
  dup2(output >= 0 ? output : null, STDOUT_FILENO);
  dup2(null, STDERR_FILENO);
  execvp(args[0], args.data());
  _exit(127);
}

bool waitExitedCleanly(pid_t pid) {
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) return false;
  }
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Runs a clipboard tool with text on its standard input.
bool runFeeding(const std::vector<std::string>& argv, const std::string& text) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  pid_t pid = spawn(argv, fds[0], -1);
  close(fds[0]);
  if (pid < 0) {
    close(fds[1]);
    return false;
  }
  // A tool that ends without reading must not end us with SIGPIPE.
  sigset_t pipeSignal, previous;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &previous);
  writeAll(fds[1], text.data(), text.size());
  close(fds[1]);
  timespec none{};
  while (sigtimedwait(&pipeSignal, nullptr, &none) > 0) {
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return waitExitedCleanly(pid);
}

// Runs a clipboard tool and collects what it prints, giving up after two seconds.
bool runReading(const std::vector<std::string>& argv, std::string& output) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return false;
  pid_t pid = spawn(argv, -1, fds[1]);
  close(fds[1]);
  if (pid < 0) {
    close(fds[0]);
    return false;
  }
  output.clear();
  bool timedOut = false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                    deadline - std::chrono::steady_clock::now())
                    .count();
    pollfd p{fds[0], POLLIN, 0};
    int ready = left > 0 ? poll(&p, 1, static_cast<int>(left)) : 0;
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) {
      timedOut = true;
      break;
    }
    char buffer[4096];
    ssize_t got = ::read(fds[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    output.append(buffer, static_cast<size_t>(got));
  }
  close(fds[0]);
  if (timedOut) kill(pid, SIGKILL);
  return waitExitedCleanly(pid) && !timedOut;
}

std::string base64(const std::string& bytes) {
  static constexpr char kDigits[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < bytes.size(); i += 3) {
    uint32_t n = (static_cast<uint8_t>(bytes[i]) << 16) |
                 (static_cast<uint8_t>(bytes[i + 1]) << 8) | static_cast<uint8_t>(bytes[i + 2]);
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += kDigits[(n >> 6) & 63];
    out += kDigits[n & 63];
  }
  if (i < bytes.size()) {
    uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
    if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
    out += kDigits[n >> 18];
    out += kDigits[(n >> 12) & 63];
    out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

// PC colour numbers have blue in bit 0 and red in bit 2; curses the other way round.
short cursesColour(int pc) {
  return static_cast<short>(((pc & 1) << 2) | (pc & 2) | ((pc & 4) >> 2));
}

}  // namespace

struct TerminalConsole::Curses {
  SCREEN* screen = nullptr;
  FILE* output = nullptr;
  FILE* input = nullptr;
  bool handlers = false;
  // How each code page 850 byte is shown: its character and any curses attribute it needs.
  wchar_t glyph[256] = {};
  attr_t glyphAttribute[256] = {};
  // Attribute and colour pair of each PC attribute byte, made on first use.
  bool lookReady[256] = {};
  attr_t lookAttribute[256] = {};
  short lookPair[256] = {};
  // Pair number of each (foreground, background) of the terminal, 0 until allocated.
  short pairOf[256] = {};
  short nextPair = 1;
  std::string cursorStyle;  // Ss: DECSCUSR, when the terminal describes it
  std::string cursorStyleReset;
  std::vector<cchar_t> line;

  ~Curses() {
    if (screen) delscreen(screen);
    if (output) fclose(output);
    if (input) fclose(input);
  }
};

TerminalConsole::TerminalConsole(const Options& options)
    : BufferedConsole(options.minimumRows, options.minimumColumns),
      options_(options),
      curses_(std::make_unique<Curses>()) {}

std::unique_ptr<TerminalConsole> TerminalConsole::open(const Options& options, std::string& error) {
  std::unique_ptr<TerminalConsole> console(new TerminalConsole(options));
  if (!console->start(error)) return nullptr;
  return console;
}

std::unique_ptr<TerminalConsole> TerminalConsole::openOrExit() {
  std::string error;
  auto console = open(Options{}, error);
  if (!console) {
    std::cerr << error << "\n";
    std::exit(1);
  }
  return console;
}

namespace {

std::string sizeMessage(int rows, int columns, int minimumRows, int minimumColumns) {
  return "Terminal too small: " + std::to_string(columns) + " x " + std::to_string(rows) +
         " (columns x rows); at least " + std::to_string(minimumColumns) + " x " +
         std::to_string(minimumRows) + " is needed.";
}

}  // namespace

bool TerminalConsole::start(std::string& error) {
  const int in = options_.inputFd;
  const int out = options_.outputFd;
  if (!isatty(in) || !isatty(out)) {
    error = "This program needs a terminal: its input and output are not one.";
    return false;
  }
  if (options_.restoreOnExit && exitGuard.console) {
    error = "The terminal is already in use by this program.";
    return false;
  }
  winsize size{};
  if (ioctl(out, TIOCGWINSZ, &size) == 0 && size.ws_row > 0 && size.ws_col > 0 &&
      (size.ws_row < options_.minimumRows || size.ws_col < options_.minimumColumns)) {
    error = sizeMessage(size.ws_row, size.ws_col, options_.minimumRows, options_.minimumColumns);
    return false;
  }
  bool unicode = chooseUtf8Locale();

  if (pipe2(wakePipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    error = "The terminal could not be set up.";
    return false;
  }
  Curses& c = *curses_;
  int outCopy = dupCloseOnExec(out);
  int inCopy = dupCloseOnExec(in);
  c.output = outCopy >= 0 ? fdopen(outCopy, "w") : nullptr;
  c.input = inCopy >= 0 ? fdopen(inCopy, "r") : nullptr;
  if (!c.output || !c.input) {
    if (!c.output && outCopy >= 0) close(outCopy);
    if (!c.input && inCopy >= 0) close(inCopy);
    error = "The terminal could not be set up.";
    return false;
  }
  termios modes{};
  bool haveModes = tcgetattr(in, &modes) == 0;
  if (options_.restoreOnExit) {
    exitGuard.inputFd = in;
    exitGuard.outputFd = out;
    exitGuard.savedModes = modes;
    exitGuard.haveModes = haveModes;
    exitGuard.restoreLength = 0;
    exitGuard.suspended = 0;
    exitGuard.resized = 0;
    exitGuard.wakeFd = wakePipe_[1];
    // Before curses starts, so that it leaves these signals to us.
    installHandlers();
    c.handlers = true;
  }
  // The size comes from the terminal itself, not from LINES and COLUMNS left in the
  // environment by a shell.
  use_tioctl(TRUE);
  const char* term = options_.term.empty() ? nullptr : options_.term.c_str();
  c.screen = newterm(term, c.output, c.input);
  if (!c.screen) {
    const char* name = term ? term : std::getenv("TERM");
    error = std::string("The terminal type \"") + (name ? name : "") +
            "\" is unknown; set TERM to the terminal's type.";
    return false;
  }
  set_term(c.screen);
  if (LINES < options_.minimumRows || COLS < options_.minimumColumns) {
    endwin();
    error = sizeMessage(LINES, COLS, options_.minimumRows, options_.minimumColumns);
    return false;
  }
  raw();
  noecho();
  nonl();
  intrflush(stdscr, FALSE);
  keypad(stdscr, FALSE);
  meta(stdscr, TRUE);
  scrollok(stdscr, FALSE);
  leaveok(stdscr, FALSE);
  if (has_colors() && start_color() == OK && COLORS >= 8) colours_ = COLORS >= 16 ? 16 : 8;
  mouseButtons_ = capability("kmous").empty() ? 0 : 3;
  c.cursorStyle = capability("Ss");
  if (!c.cursorStyle.empty()) {
    c.cursorStyleReset = capability("Se");
    if (c.cursorStyleReset.empty()) c.cursorStyleReset = "\x1b[0 q";
  }

  // Code page 850 glyphs; with no UTF-8 the box drawing falls back to the line-drawing set
  // and what cannot be shown becomes "?".
  for (int b = 0; b < 256; ++b) {
    char32_t u = kCp850ToUnicode[b];
    wchar_t shown = L'?';
    attr_t attribute = A_NORMAL;
    if (u >= 0x20 && u < 0x7F) {
      shown = static_cast<wchar_t>(u);
    } else if (unicode) {
      if (wcwidth(static_cast<wchar_t>(u)) == 1) shown = static_cast<wchar_t>(u);
    } else {
      static constexpr std::pair<char32_t, char> kLines[] = {
          {0x2500, 'q'}, {0x2550, 'q'}, {0x2502, 'x'}, {0x2551, 'x'}, {0x250C, 'l'}, {0x2554, 'l'},
          {0x2510, 'k'}, {0x2557, 'k'}, {0x2514, 'm'}, {0x255A, 'm'}, {0x2518, 'j'}, {0x255D, 'j'},
          {0x251C, 't'}, {0x2560, 't'}, {0x2524, 'u'}, {0x2563, 'u'}, {0x2534, 'v'}, {0x2569, 'v'},
          {0x252C, 'w'}, {0x2566, 'w'}, {0x253C, 'n'}, {0x256C, 'n'}, {0x2592, 'a'}, {0x2588, '0'}};
      for (const auto& [from, to] : kLines) {
        if (from == u) {
          shown = to;
          attribute = A_ALTCHARSET;
        }
      }
    }
    c.glyph[b] = shown;
    c.glyphAttribute[b] = attribute;
  }

  // What a signal handler writes to give the terminal back.
  if (options_.restoreOnExit) {
    std::string bytes(kMouseOff);
    bytes += c.cursorStyleReset + capability("sgr0") + capability("cnorm");
    std::string move = capability("cup");
    if (!move.empty()) bytes += tiparm(move.c_str(), LINES - 1, 0);
    bytes += capability("rmcup");
    size_t length = std::min(bytes.size(), sizeof exitGuard.restoreBytes);
    std::memcpy(exitGuard.restoreBytes, bytes.data(), length);
    exitGuard.restoreLength = length;
    exitGuard.console = this;
    if (!exitGuard.exitHandlerRegistered) {
      std::atexit(restoreAtExit);
      exitGuard.exitHandlerRegistered = true;
    }
  }

  active_ = true;
  resizeGrid(LINES, COLS);
  clearok(curscr, TRUE);
  paint();
  return true;
}

TerminalConsole::~TerminalConsole() {
  restore();
  if (exitGuard.console == this) exitGuard.console = nullptr;
  if (curses_ && curses_->handlers) {
    uninstallHandlers();
    exitGuard.wakeFd = -1;
    exitGuard.restoreLength = 0;
  }
  curses_.reset();
  for (int fd : wakePipe_) {
    if (fd >= 0) close(fd);
  }
}

void TerminalConsole::restore() {
  if (exitGuard.console == this) exitGuard.restoreLength = 0;  // nothing left for a signal
  if (!active_) return;
  active_ = false;
  if (!suspended_) {
    std::string bytes;
    if (mouseOn_) bytes += kMouseOff;
    if (cursorStyleSet_) bytes += curses_->cursorStyleReset;
    mouseOn_ = false;
    cursorStyleSet_ = false;
    writeRaw(bytes);
    // endwin shows the cursor only when curses thinks it hidden; after a program that shared
    // the terminal its idea may be stale, so the cursor is shown explicitly.
    curs_set(1);
    endwin();
  }
  suspended_ = false;
  exitGuard.suspended = 0;
}

void TerminalConsole::writeRaw(const std::string& bytes) {
  if (!bytes.empty()) writeAll(options_.outputFd, bytes.data(), bytes.size());
}

void TerminalConsole::beep() {
  if (active_ && !suspended_) ::beep();
}

void TerminalConsole::present() {
  paint();
}

void TerminalConsole::paintRow(int16_t row) {
  Curses& c = *curses_;
  int width = std::min<int>(screen_.columns(), COLS);
  c.line.resize(static_cast<size_t>(width));
  for (int column = 1; column <= width; ++column) {
    const Cell& cell = screen_.cell(row, static_cast<int16_t>(column));
    uint8_t a = cell.attribute;
    if (!c.lookReady[a]) {
      int fg = a & 0x0F;
      int bg = a >> 4;
      attr_t attribute = A_NORMAL;
      short pair = 0;
      if (colours_ == 0) {
        if (bg & 7) attribute |= A_REVERSE;
        if (fg & 8) attribute |= A_BOLD;
      } else {
        short f = cursesColour(fg);
        short b = cursesColour(bg);
        if (colours_ >= 16) {
          f = static_cast<short>(f + (fg & 8));
          b = static_cast<short>(b + (bg & 8));
        } else if (fg & 8) {
          attribute |= A_BOLD;  // bright foreground on an 8-colour terminal
        }
        short& slot = c.pairOf[f * 16 + b];
        if (slot == 0 && c.nextPair < COLOR_PAIRS && init_pair(c.nextPair, f, b) == OK) {
          slot = c.nextPair++;
        }
        pair = slot;
      }
      c.lookAttribute[a] = attribute;
      c.lookPair[a] = pair;
      c.lookReady[a] = true;
    }
    wchar_t text[2] = {c.glyph[cell.character], L'\0'};
    setcchar(&c.line[static_cast<size_t>(column - 1)], text,
             c.lookAttribute[a] | c.glyphAttribute[cell.character], c.lookPair[a], nullptr);
  }
  mvwadd_wchnstr(stdscr, row - 1, 0, c.line.data(), width);
}

void TerminalConsole::applyCursorShape() {
  Curses& c = *curses_;
  CursorShape shape = screen_.cursorShape();
  paintedShape_ = static_cast<int>(shape);
  if (shape == CursorShape::Hidden) {
    curs_set(0);
    return;
  }
  if (c.cursorStyle.empty()) {
    curs_set(shape == CursorShape::Full ? 2 : 1);
    return;
  }
  curs_set(1);
  // Steady block for the full cursor, steady underline for the half one.
  writeRaw(withParameter(c.cursorStyle, shape == CursorShape::Full ? 2 : 4));
  cursorStyleSet_ = true;
}

void TerminalConsole::paint() {
  if (!active_ || suspended_) return;
  checkResize();
  bool changed = false;
  for (int16_t row = 1; row <= screen_.rows(); ++row) {
    if (!screen_.rowChanged(row)) continue;
    if (row <= LINES) paintRow(row);
    changed = true;
  }
  screen_.clearChanged();
  int16_t row = std::min<int16_t>(screen_.cursorRow(), static_cast<int16_t>(LINES));
  int16_t column = std::min<int16_t>(screen_.cursorColumn(), static_cast<int16_t>(COLS));
  bool reshape = paintedShape_ != static_cast<int>(screen_.cursorShape());
  if (!changed && !reshape && row == paintedRow_ && column == paintedColumn_) return;
  wmove(stdscr, row - 1, column - 1);
  wnoutrefresh(stdscr);
  doupdate();
  paintedRow_ = row;
  paintedColumn_ = column;
  if (reshape) applyCursorShape();
}

void TerminalConsole::checkResize() {
  if (!exitGuard.resized || exitGuard.console != this) return;
  exitGuard.resized = 0;
  winsize size{};
  if (ioctl(options_.outputFd, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0) {
    return;
  }
  resizeterm(size.ws_row, size.ws_col);
  resizeGrid(size.ws_row, size.ws_col);
  clearok(curscr, TRUE);
  paintedRow_ = 0;
}

void TerminalConsole::resizeGrid(int terminalRows, int terminalColumns) {
  auto rows = static_cast<int16_t>(std::clamp<int>(terminalRows, options_.minimumRows, 1000));
  auto columns =
      static_cast<int16_t>(std::clamp<int>(terminalColumns, options_.minimumColumns, 1000));
  if (rows != screen_.rows() || columns != screen_.columns()) {
    screen_.resize(rows, columns);
  } else {
    screen_.markAllChanged();
  }
}

void TerminalConsole::applyMouse() {
  if (mouseButtons_ == 0 || mouseWanted_ == mouseOn_) return;
  writeRaw(std::string(mouseWanted_ ? kMouseOn : kMouseOff));
  mouseOn_ = mouseWanted_;
}

void TerminalConsole::readInput() {
  pollfd p{options_.inputFd, POLLIN, 0};
  while (poll(&p, 1, 0) > 0) {
    char buffer[256];
    ssize_t got = ::read(options_.inputFd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      inputClosed_ = true;
      return;
    }
    decoder_.pending.append(buffer, static_cast<size_t>(got));
    lastByte_ = std::chrono::steady_clock::now();
    if (static_cast<size_t>(got) < sizeof buffer) return;
  }
}

bool TerminalConsole::inputQuiet() const {
  return std::chrono::steady_clock::now() - lastByte_ >=
         std::chrono::milliseconds(kEscapeDelayMilliseconds);
}

ConsoleEvent TerminalConsole::nextEvent() {
  if (!active_ || suspended_) return {};
  paint();
  applyMouse();
  readInput();
  ConsoleEvent event;
  if (takeKeyEvent(decoder_, inputQuiet(), event)) return event;
  if (inputClosed_ && decoder_.pending.empty()) {
    // The terminal is gone: Esc lets every screen unwind to the end of the program.
    event.kind = ConsoleEvent::Kind::Key;
    event.key = 27;
  }
  return event;
}

void TerminalConsole::waitForInput(int timeoutMilliseconds) {
  int timeout = std::max(timeoutMilliseconds, 0);
  if (!active_ || suspended_ || inputClosed_) {
    poll(nullptr, 0, timeout);
    return;
  }
  paint();
  if (!decoder_.pending.empty()) {
    KeyDecoderState copy = decoder_;
    if (decodeKey(copy.pending, inputQuiet(), copy).length > 0) return;  // ready now
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - lastByte_)
                      .count();
    timeout = std::min<int>(timeout,
                            std::max<int>(0, kEscapeDelayMilliseconds - static_cast<int>(waited)));
  }
  pollfd fds[2] = {{options_.inputFd, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
  if (poll(fds, 2, timeout) > 0 && (fds[1].revents & POLLIN)) {
    char drain[64];
    while (::read(wakePipe_[0], drain, sizeof drain) > 0) {
    }
  }
}

std::string TerminalConsole::clipboard() {
  std::string text;
  if (hasEnvironment("WAYLAND_DISPLAY") && onPath("wl-paste") &&
      runReading({"wl-paste", "--no-newline"}, text)) {
    return utf8ToCp850(text);
  }
  if (hasEnvironment("DISPLAY") && onPath("xclip") &&
      runReading({"xclip", "-selection", "clipboard", "-o"}, text)) {
    return utf8ToCp850(text);
  }
  return clipboard_;
}

void TerminalConsole::setClipboard(const std::string& text) {
  clipboard_ = text;
  std::string utf8 = cp850ToUtf8(text);
  // OSC 52 reaches the clipboard of the terminal's own machine, even over ssh; the Linux
  // console has no clipboard and might show it.
  const char* name = active_ ? termname() : nullptr;
  if (active_ && !suspended_ && name && std::strcmp(name, "linux") != 0) {
    paint();
    writeRaw("\x1b]52;c;" + base64(utf8) + "\x07");
  }
  if (hasEnvironment("WAYLAND_DISPLAY") && onPath("wl-copy")) {
    runFeeding({"wl-copy"}, utf8);
  } else if (hasEnvironment("DISPLAY") && onPath("xclip")) {
    runFeeding({"xclip", "-selection", "clipboard"}, utf8);
  }
}

void TerminalConsole::suspend() {
  if (!active_ || suspended_) return;
  paint();
  std::string bytes;
  if (mouseOn_) bytes += kMouseOff;
  if (cursorStyleSet_) bytes += curses_->cursorStyleReset;
  writeRaw(bytes);
  mouseOn_ = false;
  cursorStyleSet_ = false;
  endwin();
  suspended_ = true;
  exitGuard.suspended = 1;
}

void TerminalConsole::resume() {
  if (!active_ || !suspended_) return;
  suspended_ = false;
  exitGuard.suspended = 0;
  // The other program may have changed the size; paint everything again in any case.
  if (exitGuard.console == this) exitGuard.resized = 1;
  screen_.markAllChanged();
  clearok(curscr, TRUE);
  paintedShape_ = -1;
  paintedRow_ = 0;
  paint();
}

}  // namespace talmidor
