// The rules that are defined as "replace every occurrence of each pattern in the whole
// text, one pattern after another" run as single passes in the engine. Each is checked
// here against a literal, slow rendering of that definition on random inputs.
#include <gtest/gtest.h>

#include <random>

#include "engine/HtmlRebuilder.h"
#include "engine/QuotedPrintable.h"
#include "engine/TextOps.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

using engine::replaceAll;

std::optional<std::string> literalRemoveBase(std::string html) {
  for (;;) {
    const size_t s = system::toLowerCp(html).find("<base ");
    if (s == std::string::npos) return html;
    const size_t e = html.find('>', s);
    if (e == std::string::npos) return std::nullopt;
    html = replaceAll(html, html.substr(s, e - s + 1), "");
  }
}

std::string literalFixCid(std::string html,
                          const std::vector<std::pair<std::string, std::string>>& parts) {
  for (const auto& [id, name] : parts) {
    if (id.empty()) continue;
    html = replaceAll(html, "cid:" + replaceAll(replaceAll(id, "<", ""), ">", ""), name);
  }
  return html;
}

std::string literalAccents(std::string text) {
  static const int codes[] = {0xA9, 0xAB, 0xBB, 0xBC, 0xBE, 0xC1, 0xC5, 0xC7, 0xC8, 0xC9,
                              0xCA, 0xCB, 0xD1, 0xD6, 0xD8, 0xE0, 0xE1, 0xE2, 0xE3, 0xE4,
                              0xE5, 0xE6, 0xE7, 0xE8, 0xE9, 0xEA, 0xEB, 0xEC, 0xED, 0xEE,
                              0xF3, 0xF5, 0xF8, 0xFA, 0xFB, 0xFC, 0xFE};
  for (int code : codes) {
    char escape[4];
    std::snprintf(escape, sizeof escape, "%02X", code);
    text = replaceAll(text, std::string("=") + escape, std::string(1, static_cast<char>(code)));
  }
  return text;
}

class Random {
 public:
  explicit Random(unsigned seed) : engine_(seed) {}
  size_t below(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(engine_); }
  template <size_t N>
  std::string tokens(const std::array<const char*, N>& from, size_t count) {
    std::string out;
    for (size_t i = 0; i < count; ++i) out += from[below(N)];
    return out;
  }

 private:
  std::mt19937 engine_;
};

TEST(ReplaceRulesDifferential, RemovebaseMatchesRepeatedWholeTextPasses) {
  Random rnd(7);
  // Duplicated tags in several letter cases, fragments that a removal joins into a new
  // tag, and now and then an unclosed tag.
  const std::array<const char*, 10> pieces = {"<base href=a>", "<BASE href=a>", "<Base x>",
                                              "<base href=a>", "<ba", "se q>", "text", " ",
                                              "<p>", ">"};
  for (int round = 0; round < 4000; ++round) {
    std::string html = rnd.tokens(pieces, rnd.below(14));
    if (rnd.below(10) == 0) html += "<base open";
    EXPECT_EQ(engine::HtmlRebuilder::removeBase(html), literalRemoveBase(html)) << html;
  }
}

TEST(ReplaceRulesDifferential, FixCidMatchesOnePassPerPart) {
  Random rnd(11);
  const std::array<const char*, 4> idChars = {"a", "b", "1", "@"};
  const std::array<const char*, 3> nameChars = {"x", "y", "."};
  const std::array<const char*, 9> htmlPieces = {"cid:", "c", "id", ":", "a", "b1", " ", "x", "@"};
  for (int round = 0; round < 4000; ++round) {
    std::vector<std::pair<std::string, std::string>> parts;
    const size_t n = rnd.below(5);
    for (size_t i = 0; i < n; ++i) {
      std::string id = rnd.tokens(idChars, rnd.below(4));
      if (rnd.below(3) != 0) id = "<" + id + ">";
      parts.emplace_back(id, rnd.tokens(nameChars, 1 + rnd.below(3)));
    }
    std::string html = rnd.tokens(htmlPieces, rnd.below(20));
    for (const auto& part : parts)
      if (rnd.below(2)) html += "cid:" + replaceAll(replaceAll(part.first, "<", ""), ">", "");
    html += rnd.tokens(htmlPieces, rnd.below(5));
    EXPECT_EQ(engine::HtmlRebuilder::fixCid(html, parts), literalFixCid(html, parts)) << html;
  }
}

TEST(ReplaceRulesDifferential, AccentTableMatchesOnePassPerEscape) {
  Random rnd(13);
  const std::array<const char*, 12> pieces = {"=", "A", "B", "C", "E", "F", "9", "e", "5", "x", "==", "=E"};
  for (int round = 0; round < 4000; ++round) {
    const std::string text = rnd.tokens(pieces, rnd.below(24));
    EXPECT_EQ(engine::QuotedPrintable::decodeAccents(text), literalAccents(text)) << text;
  }
}

}  // namespace
}  // namespace mailvane
