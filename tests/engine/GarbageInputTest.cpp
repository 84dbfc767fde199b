// Bad input never stops a parse: each message below only has to go through every
// operation without a crash, a hang or a sanitizer report, and leave nothing outside
// the output folder.
#include <gtest/gtest.h>

#include <random>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

using test::crlf;

std::string randomBytes(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  std::string s(n, '\0');
  for (auto& c : s) c = static_cast<char>(rng());
  return s;
}

struct Garbage {
  const char* name;
  std::string message;
};

std::vector<Garbage> garbage() {
  const std::string head = "Content-Type: multipart/related; boundary=\"b\"\r\n\r\n--b\r\n";
  return {
      {"empty", ""},
      {"nuls", std::string(4096, '\0')},
      {"random", randomBytes(64 * 1024, 1)},
      {"random with headers", head + randomBytes(16 * 1024, 2) + "Content-Type:" + randomBytes(999, 3)},
      {"only content types", [] { std::string s; for (int i = 0; i < 20000; ++i) s += "Content-Type:"; return s; }()},
      {"truncated base64", head + "Content-Type: image/gif; name=\"a.gif\"\r\nContent-Transfer-Encoding: base64\r\n\r\nR0lGOD"},
      {"truncated header", "Content-Type: image/gif; name=\"a"},
      {"begin at end", "begin 666"},
      {"begin 644 then nothing", "x\r\nbegin 644 \r\n"},
      {"uuencode bad chars", "begin 666 a\r\nMabcdefghijklmnopqrstuvwxyz\r\nend\r\n"},
      {"huge line", std::string(4 * 1024 * 1024, 'A') + "=" + std::string(1024 * 1024, '3')},
      {"escapes everywhere", [] { std::string s = "<html>"; for (int i = 0; i < 100000; ++i) s += "=3D=\r\n=4"; return s; }()},
      {"base tags unclosed", "<html><base <base <base href=x"},
      {"many base tags", [] { std::string s = "<html>"; for (int i = 0; i < 20000; ++i) s += "<base h" + std::to_string(i) + ">"; return s + "</html>"; }()},
      {"many cids", [] {
         std::string s = "<html>";
         for (int i = 0; i < 300; ++i) s += "<img src=\"cid:id" + std::to_string(i) + "\">";
         s += "</html>\r\n";
         for (int i = 0; i < 300; ++i)
           s += "Content-Type: image/gif; name=\"p.gif\"\r\nContent-Transfer-Encoding: base64\r\n"
                "Content-ID: <id" + std::to_string(i) + ">\r\n\r\nQUJD\r\n\r\n";
         return s;
       }()},
      {"names everywhere", crlf("Content-Type: x; name=\"\"\nContent-Transfer-Encoding: 7bit\n\n"
                                "Content-Type: x; name=\"../\\\\:\"\nContent-Transfer-Encoding: 7bit\n\nd\n"
                                "Content-Type: x; name=\"" + std::string(1000, '.') + "\"\n"
                                "Content-Transfer-Encoding: base64\n\nQUJD\n")},
      {"links without ends", "<html>http://a.mid src:url(http://b.eot"},
      {"boundary storm", [] { std::string s; for (int i = 0; i < 20000; ++i) s += "boundary=\"b" + std::to_string(i) + "\"\r\n--b" + std::to_string(i) + "\r\n"; return s; }()},
  };
}

TEST(GarbageInput, EveryOperationSurvives) {
  for (const auto& g : garbage()) {
    SCOPED_TRACE(g.name);
    test::TempFolder root;
    const auto folder = root.path() / "out";
    std::filesystem::create_directory(folder);
    SrParser p;
    p.Source = g.message;
    p.identify_mailheader(g.message);
    p.Getall(g.message);
    for (int16_t mode : {1, 2, 3, 4, 5, 6}) p.Saveattachments(folder, mode);
    std::string text = g.message.substr(0, 10000);
    p.Decodespes1(text);
    (void)p.Cleanheader();
    for (const auto& f : root.files()) EXPECT_TRUE(f.starts_with("out/")) << f;
  }
}

}  // namespace
}  // namespace mailvane
