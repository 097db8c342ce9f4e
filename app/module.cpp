#include "app/module.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "config/catalogue.h"
#include "config/ini.h"
#include "config/session.h"
#include "console/help.h"
#include "console/keys.h"
#include "console/screen.h"
#include "console/screen_stack.h"
#include "form/form_tables.h"
#include "form/loader.h"
#include "form/runtime.h"
#include "keyed/keyed_files.h"
#include "keyed/records.h"
#include "platform/cp850.h"
#include "platform/paths.h"
#include "platform/platform.h"
#include "text/texthelp.h"
#include "tools/hot_keys.h"

namespace talmidor {

namespace {

ModuleData data;

// Company identifiers are compared on this many characters.
constexpr size_t kIdentifierLength = 17;

constexpr int16_t kConceptsFile = 503;

std::string tr(std::string_view catalan) {
  return translate(std::string(catalan));
}

// Shows a message near the middle of the screen until a key is pressed.
void tellOperator(const std::string& message) {
  showMessageBox(12, message);
  platform().console->beep();
  waitKey();
  popScreen();
}

bool isExecutableFile(const std::string& hostFile) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::file_status status = fs::status(hostFile, ec);
  if (ec || !fs::is_regular_file(status)) return false;
  const fs::perms exec = fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
  return (status.permissions() & exec) != fs::perms::none;
}

// Puts the concept names of the concept file into the labels of page-1 fields 16 to 25, from
// the label's 6th character on, never past its end.
void loadConceptNames() {
  int16_t status = 0;
  readByKey(kConceptsFile, 0, std::string(1, '\x01'), 1, status);
  while (status == 0) {
    const int code = static_cast<unsigned char>(data.concepts[0]);
    if (code > 10) break;
    std::string name(data.concepts + 1, 20);
    size_t end = name.find_last_not_of(' ');
    name = end == std::string::npos ? std::string() : name.substr(0, end + 1);
    if (FormField* field = findField(1, static_cast<int16_t>(15 + code)); field && code >= 1) {
      std::string& label = field->label;
      for (size_t i = 0; i < name.size() && 5 + i < label.size(); ++i) label[5 + i] = name[i];
    }
    moveRecords(kConceptsFile, 1, status);
  }
}

// Opens one of the module's data files on its record area. Every read copies a whole record
// into the area, so a file whose records are longer than the area ends the program here,
// before anything is read, rather than overrunning it.
void openDataFile(int16_t fileNo, const char* name, char* area, size_t areaSize) {
  const std::string path = session().dataRoot + "DADES\\" + name;
  int16_t status = 0;
  openKeyedFile(fileNo, path, area, status);
  int16_t keyLength = 0, recordLength = 0;
  getKeyInfo(fileNo, 0, keyLength, recordLength);
  if (recordLength < 0 || static_cast<size_t>(recordLength) > areaSize) {
    tellOperator(tr("ELS REGISTRES DEL FITXER SÓN MASSA LLARGS:"_cp) + " " + path);
    closeModuleData();
    platform().system->endProcess(1);
  }
}

}  // namespace

ModuleData& moduleData() {
  return data;
}

void resetModuleData() {
  data = ModuleData();
}

void decideSingleCustomerVariant() {
  const std::string kelo = session().dataRoot + "Kelo.ini";
  std::string installation = readIniValue(kelo, "Empresa", "Identificador");
  std::string customer = readIniValue(kelo, "Empresa", "IdentificadorClient");
  bool on = isAllChar(customer, 32) == 0 &&
            fitText(installation, kIdentifierLength) == fitText(customer, kIdentifierLength);
  singleCustomerVariant() = on ? 1 : 0;
}

void openModuleData() {
  openDataFile(kConceptsFile, "TVRebut", data.concepts, sizeof data.concepts);
  loadConceptNames();
  openDataFile(502, "TRemeses", data.remittances, sizeof data.remittances);
  openDataFile(505, "PropietV", data.owners, sizeof data.owners);
  openDataFile(506, "FinquesV", data.buildings, sizeof data.buildings);
  openDataFile(507, "DepartaV", data.units, sizeof data.units);
  openDataFile(509, "CobramV", data.collections, sizeof data.collections);
}

void closeModuleData() {
  // No sequential file stays open between operations; the keyed files close together.
  int16_t status = 0;
  closeAllKeyedFiles(status);
}

bool writeHandOffFile() {
  const std::string path = session().workDir + "pent.tmp";
  bool written = false;
  {
    std::ofstream out(hostPath(path), std::ios::binary | std::ios::trunc);
    const FormTables& t = formTables();
    for (int16_t p = 1; out && p <= t.pageCount; ++p) {
      const FormPage* page = findPage(p);
      for (int16_t f = 1; out && page != nullptr && f <= page->fieldCount; ++f) {
        const std::string& value = page->fields[f].value;
        out.write(value.data(), static_cast<std::streamsize>(value.size()));
        out.write("\r\n", 2);
      }
    }
    if (out) {
      out.close();
      written = !out.fail();
    }
  }
  if (!written) tellOperator(tr("NO S'HA POGUT ESCRIURE EL FITXER"_cp) + " " + path);
  return written;
}

bool runFollowOnProgram() {
  const std::string program = session().programDir + "TALMIDO1";
  const std::string host = hostPath(program);
  if (isExecutableFile(host) && platform().system->runProgram(host) != -1) return true;
  tellOperator(tr("NO ES POT EXECUTAR EL PROGRAMA"_cp) + " " + program);
  return false;
}

void runMainLoop() {
  setColourClass("n");
  platform().console->clear();
  for (;;) {
    int16_t key = 0;
    runFormPage(1, key);
    if (key == kEsc) return;
    // Accepted: hand the values over and run the processing; the form then comes back with
    // its values kept (runFormPage draws page 1 again).
    if (writeHandOffFile()) runFollowOnProgram();
  }
}

void runModule() {
  platform().console->setCursorShape(CursorShape::Hidden);
  initSession();
  SessionSettings& s = session();
  if (!s.dataRoot.empty()) platform().system->changeDirectory(hostPath(s.dataRoot));
  s.programName = "TALMIDOR";
  decideSingleCustomerVariant();
  clearStaleScreenStack();
  registerHotKeyTools();
  loadFormDefinition();
  openModuleData();
  runMainLoop();
  closeModuleData();
  platform().system->endProcess(0);
}

}  // namespace talmidor
