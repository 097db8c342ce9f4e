// A check of the terminal console by eye and by the tmux test: draws a double frame with
// accented text and a few colours, then shows every event it decodes on a line of its own.
// Ctrl+Q ends it, Ctrl+E ends it through exit(), Ctrl+R runs a short shell command sharing the
// terminal, Ctrl+B beeps, Ctrl+K copies a text to the clipboard and Ctrl+P shows the clipboard.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/cp850.h"
#include "platform/platform.h"
#include "platform/real_system.h"
#include "platform/terminal_console.h"

namespace {

using namespace talmidor;

constexpr int16_t kFirstEchoRow = 6;

void drawScreen(Console& console, int colours) {
  console.setColour(7, 0);
  console.clear();
  const std::string text = std::string(" Núm. d'edifici: çàèéíòóú ÇÀÈÉÑ ñ ·  ► ◄ "_cp);
  const std::string line(text.size(), "═"_cp[0]);
  console.moveCursor(1, 1);
  console.writeText(std::string("╔"_cp) + line + std::string("╗"_cp));
  console.moveCursor(2, 1);
  console.writeText(std::string("║"_cp) + text + std::string("║"_cp));
  console.moveCursor(3, 1);
  console.writeText(std::string("╚"_cp) + line + std::string("╝"_cp));
  // PC colours by number: 1 blue, 4 red, 14 yellow, 15 on 1 bright white on blue.
  struct Sample {
    int16_t foreground, background;
    const char* name;
  };
  console.moveCursor(4, 1);
  for (const Sample& s : {Sample{1, 0, "blue"}, Sample{4, 0, "red"}, Sample{14, 0, "yellow"},
                          Sample{15, 1, "white-on-blue"}}) {
    console.setColour(s.foreground, s.background);
    console.writeText(s.name);
    console.setColour(7, 0);
    console.writeText(" ");
  }
  console.moveCursor(5, 1);
  console.writeText("Ctrl+Q ends, Ctrl+R runs a command, Ctrl+B beeps. colours=" +
                    std::to_string(colours));
  console.moveCursor(kFirstEchoRow, 1);
}

std::string describe(const ConsoleEvent& e, int number) {
  char text[80];
  if (e.kind == ConsoleEvent::Kind::MouseRelease) {
    std::snprintf(text, sizeof text, "%03d release=%d row=%d col=%d", number, e.button, e.row,
                  e.column);
    return text;
  }
  std::snprintf(text, sizeof text, "%03d key=%04X mod=%02X", number, static_cast<uint16_t>(e.key),
                e.modifiers);
  std::string line = text;
  if (e.key >= 32 && e.key < 256) {
    line += ' ';
    line += static_cast<char>(e.key);
  }
  return line;
}

}  // namespace

int main() {
  auto console = TerminalConsole::openOrExit();
  RealSystem system;
  platform().console = console.get();
  platform().system = &system;
  Console& c = *console;
  drawScreen(c, console->colours());
  if (c.mouseButtons() > 0) c.setMouseReporting(true);

  int16_t row = kFirstEchoRow;
  // Writes a line below the last one, scrolling the echo area when it is full.
  auto writeLine = [&](const std::string& text) {
    if (row > c.rows()) {
      c.scrollRect(kFirstEchoRow, 1, c.rows(), c.columns(), 1);
      row = c.rows();
    }
    c.moveCursor(row++, 1);
    c.writeText(text);
  };
  int number = 0;
  for (;;) {
    ConsoleEvent e = c.nextEvent();
    if (e.kind == ConsoleEvent::Kind::None || e.kind == ConsoleEvent::Kind::MouseMove) {
      c.waitForInput(250);
      continue;
    }
    writeLine(describe(e, ++number));
    int16_t key = e.kind == ConsoleEvent::Kind::Key ? e.key : 0;
    if (key == 17) break;  // Ctrl+Q
    switch (key) {
      case 2:  // Ctrl+B
        c.beep();
        break;
      case 5:  // Ctrl+E: the way a fatal error ends, through exit() with the console open
        std::exit(3);
      case 11:  // Ctrl+K
        c.setClipboard(std::string("Núm. d'edifici: çàèéíòóú"_cp));
        writeLine("clipboard=" + c.clipboard());
        break;
      case 16:  // Ctrl+P
        writeLine("clipboard=" + c.clipboard());
        break;
      case 18:  // Ctrl+R
        system.runCommand({"sh", "-c", "echo child ran; sleep 0.5"});
        break;
      default:
        break;
    }
    c.present();
  }
  resetPlatform();
  return 0;
}
