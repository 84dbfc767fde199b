#include "engine/FileNameCleaner.h"

#include <array>
#include <chrono>
#include <cmath>
#include <random>
#include <utility>

#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane::engine {
namespace {

constexpr std::array<std::string_view, 8> kSmileys = {":)",  ";)",  ";-)", ":-)",
                                                      ";-(", ":-(", ":o)", ";o("};

// Rows applied in order; a later row may see text an earlier one produced. Entries
// given as UTF-8 are Latin-1 signs whose byte depends on the active code page.
struct Row {
  std::string_view find;
  std::string_view by;
  bool utf8 = false;
};
constexpr std::array<Row, 39> kTable = {{
    {"?", ""},    {"=", ""},    {"iso", ""},  {"-", ""},    {"~", "_"},   {" ", ""},
    {",", ""},    {";", ""},    {":", ""},    {"/", ""},    {"\\", ""},   {"%20", ""},
    {"!", ""},    {"@", ""},    {"cid:", ""}, {"cid_", ""}, {"*", " "},   {"<", " "},
    {">", " "},   {"\"", ""},   {"(", ""},    {")", ""},    {";", ""},    {"\xC2\xB4", "", true},
    {"`", ""},    {"%", ""},    {"\xC2\xA4", "", true},     {"#", ""},    {"\xC2\xA7", "", true},
    {"|", ""},    {"+", ""},    {"*", ""},    {"\xC2\xA8", "", true},     {"^", ""},
    {",", ""},    {"[", ""},    {"]", ""},    {"{", ""},    {"}", ""},
}};

}  // namespace

std::string FileNameCleaner::clean(std::string_view name) {
  std::string out = applyColonRule(dropSmileys(std::string(name)));
  out = std::string(trimSpaces(removeAll(out, "\t")));
  out = applyTable(std::move(out));
  if (out.size() < 2) out = randomPrefix() + out;
  return replaceAll(out, "|", " ");
}

std::string FileNameCleaner::dropSmileys(std::string name) {
  for (auto smiley : kSmileys) name = removeAll(name, smiley);
  return name;
}

// A colon as third character ends a two-letter reply mark (Re:, Sv:, Fw:) and is cut
// with it; any other colon keeps only what follows the last one.
std::string FileNameCleaner::applyColonRule(std::string name) {
  const size_t first = name.find(':');
  if (first == npos) return name;
  if (first == 2) return name.substr(3);
  return name.substr(name.rfind(':') + 1);
}

std::string FileNameCleaner::applyTable(std::string name) {
  for (const Row& row : kTable) {
    const std::string find = row.utf8 ? system::fromUtf8(row.find) : std::string(row.find);
    name = replaceAll(name, find, row.by);
  }
  return name;
}

// Two draws a then b from a clock-seeded generator, written b first, each as
// floor(x * 1000 - 1), so the prefix runs from "-1-1" to "998998".
std::string FileNameCleaner::randomPrefix() {
  static std::mt19937 generator(static_cast<unsigned>(
      std::chrono::high_resolution_clock::now().time_since_epoch().count()));
  std::uniform_real_distribution<double> draw(0.0, 1.0);
  const double a = draw(generator);
  const double b = draw(generator);
  auto text = [](double x) { return std::to_string(static_cast<long>(std::floor(x * 1000 - 1))); };
  return text(b) + text(a);
}

}  // namespace mailvane::engine
