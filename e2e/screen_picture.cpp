#include "e2e/screen_picture.h"

#include "platform/cp850.h"

namespace talmidor {

namespace {

constexpr int kRows = 25;
constexpr int kColumns = 80;

std::u32string decode(const std::string& utf8) {
  std::u32string text;
  size_t i = 0;
  while (i < utf8.size()) text += cp850detail::decodeUtf8(utf8, i);
  return text;
}

std::string encode(const std::u32string& text) {
  std::string utf8;
  for (char32_t c : text) utf8 += encodeUtf8(c);
  return utf8;
}

// The label of a concept switch once the program has written the concept's name into it:
// "NN - " and the name over a leader of dots, 26 characters.
std::string conceptLabel(int code, const std::u32string& name) {
  std::u32string label = decode((code < 10 ? "0" : "") + std::to_string(code) + " - ") + name;
  while (label.size() < 25) label += U'.';
  return encode(label + U' ');
}

}  // namespace

ScreenPicture::ScreenPicture() : cells_(kRows, std::u32string(kColumns, U' ')) {}

ScreenPicture& ScreenPicture::put(int row, int column, const std::string& utf8) {
  std::u32string text = decode(utf8);
  std::u32string& line = cells_[static_cast<size_t>(row - 1)];
  for (size_t i = 0; i < text.size() && column - 1 + i < line.size(); ++i) {
    line[static_cast<size_t>(column - 1) + i] = text[i];
  }
  return *this;
}

std::vector<std::string> ScreenPicture::rows() const {
  std::vector<std::string> rows;
  for (std::u32string line : cells_) {
    while (!line.empty() && line.back() == U' ') line.pop_back();
    rows.push_back(encode(line));
  }
  return rows;
}

std::string columnsOf(const std::string& utf8Row, int column, int count) {
  std::u32string text = decode(utf8Row);
  text.resize(std::max(text.size(), static_cast<size_t>(column - 1 + count)), U' ');
  return encode(text.substr(static_cast<size_t>(column - 1), static_cast<size_t>(count)));
}

ScreenPicture catalanPageOne(const std::string& dateDigits, int month) {
  ScreenPicture page;
  page.put(1, 32, " EMISSIÓ DE REBUTS ");
  page.put(3, 3, "Data de treball ........... : ").put(3, 33, dateDigits);
  page.put(5, 3, "Des de la finca ........... :   1");
  page.put(5, 40, "Departament ..... :   0");
  page.put(6, 3, "Fins a la finca ........... : 999");
  page.put(6, 40, "Departament ..... : 999");
  page.put(8, 3, "Mes dels rebuts ........... : ")
      .put(8, 33, (month < 10 ? " " : "") + std::to_string(month));
  page.put(9, 1, std::string(80, '-'));
  page.put(10, 1, "FORMES DE COBRAMENT :");
  page.put(10, 24, "Domiciliació   Sí").put(10, 43, "Transferència  Sí");
  page.put(10, 62, "Comptant       Sí");
  for (int group : {24, 43, 62}) page.put(11, group + 1, "Remeses  0").put(11, group + 13, "a 99");
  page.put(12, 1, std::string(80, '-'));
  page.put(13, 1, "CONCEPTES A EMETRE :");
  const std::u32string names[] = {U"Lloguer",      U"IVA",       U"IRPF",   U"Aigua",
                                  U"Escombraries", U"Comunitat", U"IBI",    U"Assegurança",
                                  U"Calefacció",   U"Ascensor",  U"Fiança", U"Despeses bancàries",
                                  U"Manteniment",  U"Altres"};
  for (int code = 1; code <= 14; ++code) {
    int row = 14 + (code - 1) % 7;
    int column = code <= 7 ? 3 : 43;
    page.put(row, column, conceptLabel(code, names[code - 1]) + "Sí");
  }
  page.put(22, 1, std::string(80, '='));
  return page;
}

}  // namespace talmidor
