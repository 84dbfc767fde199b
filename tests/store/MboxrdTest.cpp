// The mboxrd form and the header facts an export takes from a message.
#include <gtest/gtest.h>

#include "store/Mboxrd.h"
#include "store/MessageEnvelope.h"
#include "tests/store/StoreTestSupport.h"

namespace mailvane::store {
namespace {

std::vector<std::string> split(std::string_view mbox, size_t piece) {
  std::vector<std::string> messages;
  MboxSplitter splitter([&](std::string message) { messages.push_back(std::move(message)); });
  for (size_t at = 0; at < mbox.size(); at += piece) splitter.feed(mbox.substr(at, piece));
  splitter.finish();
  return messages;
}

TEST(Mboxrd, EveryMessageComesBackAsStoredWhateverItsLines) {
  const std::vector<std::string> messages = {
      test::plainMessage("plain"),
      "Subject: quoting\r\n\r\nFrom here\r\n>From there\r\n>>From afar\r\nFromage\r\n>From\r\n",
      "From the first line\nSubject: bare LF\n\nbody\n",
      "Subject: cut off\r\n\r\n<html>no line end at all</html>",  // gets one line end
      "",
      "\n",
      "\n\n\n",
      "Subject: blank lines at the end\r\n\r\nbody\r\n\r\n\r\n",
      "Subject: CR only\r\rFrom CR\r",
      "Subject: binary\r\n\r\n" + test::binaryPayload(),
  };
  std::string mbox = "junk before the first From line is no message\n";
  for (const std::string& message : messages) {
    mbox += mboxFromLine("ann@example.com", 1204621200);
    appendMboxrd(mbox, message);
  }
  for (size_t piece : {size_t(1), size_t(7), size_t(4096), mbox.size()}) {
    const auto back = split(mbox, piece);
    ASSERT_EQ(back.size(), messages.size()) << piece;
    for (size_t i = 0; i < messages.size(); ++i) {
      EXPECT_EQ(back[i], mboxReadBack(messages[i])) << "message " << i << ", pieces of " << piece;
    }
  }
  // Only a message without a final line end is not given back as it was.
  EXPECT_EQ(mboxReadBack(messages[3]), messages[3] + "\n");
  EXPECT_EQ(mboxReadBack(messages[0]), messages[0]);
}

TEST(Mboxrd, FromLinesQuoteBodyLinesAndNameTheSender) {
  std::string mbox;
  appendMboxrd(mbox, "From x\r\nbody\r\n>From y\r\n");
  EXPECT_EQ(mbox, ">From x\r\nbody\r\n>>From y\r\n\n");
  EXPECT_EQ(mboxFromLine("", 0), "From MAILER-DAEMON Thu Jan  1 00:00:00 1970\n");
  EXPECT_EQ(mboxFromLine("a@b", 1204621200), "From a@b Tue Mar  4 09:00:00 2008\n");
}

struct EnvelopeCase {
  std::string header;
  std::optional<int64_t> date;
  std::string sender;
};

TEST(MessageEnvelope, DateAndSenderComeFromTheHeaderBlock) {
  const EnvelopeCase cases[] = {
      {"From: \"Ann\" <ann@example.com>\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\n", 1204621200,
       "ann@example.com"},
      {"Date: 4 Mar 2008 09:00:00 GMT\r\nFrom: bob@example.org (Bob)\r\n", 1204621200,
       "bob@example.org"},
      {"Date:\r\n Tue, 4 Mar 2008\r\n 09:00:00 +0000\r\n", 1204621200, ""},
      {"Date: yesterday\r\nFrom: Ann <>\r\n", std::nullopt, ""},
      {"Date: Thu, 1 Jan 1970 00:00:00 +0000\r\nFrom: no address here\r\n", std::nullopt, ""},
      {"From: <a b@c>\r\n", std::nullopt, ""},
      {"From: x\r\n\r\nDate: Tue, 4 Mar 2008 10:00:00 +0100\r\n", std::nullopt, ""},
      {"", std::nullopt, ""},
  };
  for (const EnvelopeCase& c : cases) {
    const MessageEnvelope envelope = envelopeOf(c.header);
    EXPECT_EQ(envelope.date, c.date) << c.header;
    EXPECT_EQ(envelope.sender, c.sender) << c.header;
  }
}

}  // namespace
}  // namespace mailvane::store
