// Whole messages against the extraction tree they must give: every folder below
// tests/data/engine/ holds a message.eml and, beside it, the expected/ tree that "Extract"
// (parts, text and HTML) writes for it, compared byte for byte. A new regression case
// is a new folder. MAILVANE_UPDATE_GOLDEN=1 rewrites the expected trees.
#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/SrParser.h"
#include "tests/engine/EngineTestSupport.h"

namespace mailvane {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::TempFolder;

const fs::path kCases = fs::path(MAILVANE_TEST_DATA) / "engine";

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(kCases))
    if (fs::exists(e.path() / "message.eml")) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

void extract(const fs::path& message, const fs::path& into) {
  const std::string text = readFile(message);
  SrParser parser;
  parser.Source = text;
  parser.identify_mailheader(text);
  parser.Getall(text);
  parser.Saveattachments(into, SrParser::kModeAll);
}

class GoldenMessage : public testing::TestWithParam<std::string> {};

TEST_P(GoldenMessage, ExtractsTheExpectedTree) {
  const fs::path dir = kCases / GetParam();
  const fs::path expected = dir / "expected";
  if (const char* update = std::getenv("MAILVANE_UPDATE_GOLDEN"); update && *update == '1') {
    fs::remove_all(expected);
    fs::create_directories(expected);
    extract(dir / "message.eml", expected);
    GTEST_SKIP() << "expected tree rewritten";
  }
  TempFolder out;
  extract(dir / "message.eml", out.path());
  const auto files = out.files();
  ASSERT_EQ(files, TempFolder::filesBelow(expected));
  for (const auto& f : files)
    EXPECT_TRUE(readFile(out.path() / f) == readFile(expected / f)) << GetParam() << ": " << f;
}

INSTANTIATE_TEST_SUITE_P(Cases, GoldenMessage, testing::ValuesIn(caseNames()),
                         [](const auto& info) {
                           std::string name = info.param;
                           for (char& c : name)
                             if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                           return name;
                         });

}  // namespace
}  // namespace mailvane
