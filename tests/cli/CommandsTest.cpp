// The sub-commands run in-process: usage errors, help, per-input failures, the JSON of
// `show` and the unsent copy.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "cli/ExtractOptions.h"
#include "cli/JsonWriter.h"
#include "cli/MessageBatch.h"
#include "cli/ProgressLine.h"
#include "tests/cli/CliTestSupport.h"

namespace mailvane {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using namespace mailvane::testing;

const std::string oeMail = (dataDir() / "oe-html-mail.eml").string();

TEST(Commands, HelpListsEveryCommandAndEachCommandHasItsOwn) {
  const auto top = runCommand({"--help"});
  EXPECT_EQ(top.status, cli::kExitOk);
  for (const auto& c : cli::commands())
    EXPECT_THAT(top.out, HasSubstr(std::string(c.name))) << c.name;
  for (const auto& args : std::vector<std::vector<std::string>>{
           {"help", "extract"}, {"extract", "--help"}, {"extract", "-o", "x", "-h"}}) {
    const auto r = runCommand(args);
    EXPECT_EQ(r.status, cli::kExitOk);
    EXPECT_THAT(r.out, HasSubstr("--only html|text|sounds"));
  }
  EXPECT_EQ(runCommand({"help", "show"}).status, cli::kExitOk);
  EXPECT_EQ(runCommand({"unsent", "--help"}).status, cli::kExitOk);
}

TEST(Commands, UsageErrorsExitWithTwoAndSayWhy) {
  const std::vector<std::vector<std::string>> bad = {
      {}, {"frobnicate"}, {"help", "frobnicate"}, {"extract"}, {"extract", "--only", "pdf", oeMail},
      {"extract", "--unsent", "mbox", oeMail}, {"extract", "--unsent"}, {"extract", "-o"},
      {"extract", "--bogus", oeMail}, {"extract", "--unsent", "eml", "--only", "html", oeMail},
      {"show"}, {"show", oeMail, oeMail}, {"show", "--yaml", oeMail}, {"unsent"}, {"unsent", "-o"},
      {"unsent", oeMail, oeMail}};
  for (const auto& args : bad) {
    const auto r = runCommand(args);
    const std::string shown = args.empty() ? "(none)" : args[0];
    EXPECT_EQ(r.status, cli::kExitUsage) << shown;
    EXPECT_FALSE(r.err.empty()) << shown;
    EXPECT_TRUE(r.out.empty()) << shown;
  }
}

// What goes to the desktop program to be opened, and what stays a command (a mistyped
// one included, so its user is told so on the terminal).
TEST(Commands, PathsAreToldFromCommandsAndOptions) {
  const std::vector<std::pair<std::string, bool>> firsts = {
      {"Inbox.dbx", true},  {"old/mail", true}, {oeMail, true},  {".", true},
      {"extract", false},   {"help", false},    {"--help", false}, {"-o", false},
      {"frobnicate", false}, {"", false}};
  for (const auto& [first, path] : firsts) EXPECT_EQ(cli::namesPaths(first), path) << first;
}

// A long name is shown by its end, cut between characters, and a name's control
// characters never reach the terminal.
TEST(ProgressLine, ShowsTheEndOfTheNameWithoutCommandsOrBrokenCharacters) {
  std::ostringstream out, err;
  cli::Streams io{out, err, true};
  {
    cli::ProgressLine progress(io, 2);
    progress.show(1, std::string(60, 'a') + "\xC3\xA9" + std::string(59, 'b'));
    progress.show(2, "evil\x1B]0;title\x07.eml");
  }
  EXPECT_EQ(err.str(), "\r\x1B[K[1/2] " + std::string(59, 'b') + "\r\x1B[K[2/2] evil?]0;title?.eml" +
                           "\r\x1B[K");
}

TEST(ExtractOptions, AcceptsBothSpellingsAndKeepsOperandsInOrder) {
  std::string error;
  const auto parsed = cli::parseExtractArgs(
      {"a.eml", "--output=/tmp/x", "--no-text", "--unsent", "nws", "b", "--", "-c.eml"}, error);
  ASSERT_TRUE(parsed) << error;
  EXPECT_EQ(parsed->options.outputFolder, fs::path("/tmp/x"));
  EXPECT_FALSE(parsed->options.choice.saveText);
  EXPECT_EQ(parsed->options.choice.unsent, UnsentCopy::Nws);
  EXPECT_EQ(parsed->options.choice.command, ExtractCommand::All);
  EXPECT_EQ(parsed->operands, (std::vector<std::string>{"a.eml", "b", "-c.eml"}));

  const auto sounds = cli::parseExtractArgs({"--only", "sounds", "-o", "d", "m"}, error);
  ASSERT_TRUE(sounds);
  EXPECT_EQ(sounds->options.choice.command, ExtractCommand::SoundsOnly);
  EXPECT_TRUE(sounds->options.choice.saveText);
}

TEST(MessageBatch, UnreadableInputIsReportedOnACleanLineBetweenProgressUpdates) {
  TempDir out;
  std::vector<cli::MessageInput> inputs = {
      {"broken", [] { return std::optional<std::string>(); }},
      {"good", [] { return std::optional<std::string>(oeMessage("Hi", "a.gif", "GIF89a")); }},
  };
  cli::ExtractOptions options;
  options.outputFolder = out / "o";
  std::ostringstream o, e;
  cli::Streams terminal{o, e, true};
  EXPECT_EQ(cli::extractBatch(inputs, options, terminal), cli::kExitSomeFailed);
  EXPECT_EQ(e.str(), "\r\033[K[1/2] broken\r\033[Kmailvane: broken: cannot read the message\n"
                     "\r\033[K[2/2] good\r\033[K");
  EXPECT_EQ(readBytes(out / "o" / "Hi" / "a.gif"), "GIF89a");

  std::ostringstream quiet;
  cli::Streams pipe{o, quiet, false};
  EXPECT_EQ(cli::extractBatch({inputs[1]}, options, pipe), cli::kExitOk);
  EXPECT_EQ(quiet.str(), "");  // no progress where nobody watches
}

TEST(Commands, ExtractIntoAFileFailsEveryInput) {
  TempDir out;
  writeBytes(out / "file", "x");
  const auto r = runCommand({"extract", "-o", (out / "file").string(), oeMail});
  EXPECT_EQ(r.status, cli::kExitSomeFailed);
  EXPECT_THAT(r.err, HasSubstr("output folder"));
}

TEST(Json, StringsAreEscapedAndUtf8PassesThrough) {
  EXPECT_EQ(cli::jsonString("a\"b\\c/\r\n\t\b\f\x01\x1f\x7f" "caf\xC3\xA9"),
            "\"a\\\"b\\\\c/\\r\\n\\t\\b\\f\\u0001\\u001f\\u007f" "caf\xC3\xA9\"");
  EXPECT_EQ(cli::jsonString(std::string("\0", 1)), "\"\\u0000\"");
}

TEST(Commands, ShowJsonHasTheParserFieldsInOrderAsUtf8) {
  const auto r = runCommand({"show", "--json", oeMail});
  ASSERT_EQ(r.status, cli::kExitOk) << r.err;
  size_t last = 0;
  for (const char* key : {"From", "too", "returnpath", "maildate", "Subject", "Mimeversion",
                          "Lines", "grenze", "Xmailer", "Contenttransferencoding", "MailSize",
                          "Text", "Html", "mailfiles", "OnlineSound", "OnlineFont"}) {
    const size_t at = r.out.find("\"" + std::string(key) + "\": ");
    ASSERT_NE(at, std::string::npos) << key;
    EXPECT_GT(at, last) << key;
    last = at;
  }
  EXPECT_THAT(r.out, HasSubstr("\"Subject\": \"Holiday pictures\""));
  EXPECT_THAT(r.out, HasSubstr("\"Filename\": \"beach.gif\""));
  EXPECT_THAT(r.out, HasSubstr("\"contID\": \"<000b01c5a1b2$3c4d5e60$0200a8c0@home>\""));
  EXPECT_THAT(r.out, HasSubstr("caf\xC3\xA9"));   // 0xE9 of the code page
  EXPECT_THAT(r.out, Not(HasSubstr("\r")));  // CR only escaped
  EXPECT_EQ(r.out.back(), '\n');
}

TEST(Commands, ShowListsHeadersAndParts) {
  const auto r = runCommand({"show", oeMail});
  ASSERT_EQ(r.status, cli::kExitOk);
  EXPECT_THAT(r.out, HasSubstr("Subject: Holiday pictures\n"));
  EXPECT_THAT(r.out, HasSubstr("Parts:\n  beach.gif\n  waves.wav\n"));
}

TEST(Commands, UnsentCopyGoesToStdoutOrAFileWithTheSameBytes) {
  TempDir out;
  const auto toStdout = runCommand({"unsent", oeMail});
  ASSERT_EQ(toStdout.status, cli::kExitOk) << toStdout.err;
  const std::string& copy = toStdout.out;
  EXPECT_EQ(copy.rfind("MIME-Version: 1.0\r\nContent-Type: multipart/related;\r\n", 0), 0u);
  const std::string header = copy.substr(0, copy.find("\r\n\r\n"));
  EXPECT_THAT(header, HasSubstr("X-Unsent: 1"));
  for (const char* gone : {"From:", "To:", "Subject:", "Date:"})
    EXPECT_THAT(header, Not(HasSubstr(gone))) << gone;
  // The parts travel unchanged.
  const std::string source = readBytes(oeMail);
  const std::string firstPart = source.substr(source.find("------=_NextPart_000"), 500);
  EXPECT_THAT(copy, HasSubstr(firstPart));

  const auto toFile = runCommand({"unsent", "-o", (out / "copy.eml").string(), oeMail});
  EXPECT_EQ(toFile.status, cli::kExitOk);
  EXPECT_TRUE(toFile.out.empty());
  EXPECT_EQ(readBytes(out / "copy.eml"), copy);
}

TEST(Commands, UnsentWithoutABodyToCopyFails) {
  TempDir dir;
  writeBytes(dir / "m.eml", "Subject: x\r\nContent-Type: multipart/mixed; boundary=\"Q\"\r\n\r\nx");
  const auto r = runCommand({"unsent", (dir / "m.eml").string()});
  EXPECT_EQ(r.status, cli::kExitSomeFailed);
  EXPECT_TRUE(r.out.empty());
  EXPECT_THAT(r.err, HasSubstr("m.eml"));
  EXPECT_EQ(runCommand({"show", (dir / "none.eml").string()}).status, cli::kExitSomeFailed);
}

}  // namespace
}  // namespace mailvane
