#include <gtest/gtest.h>

#include "engine/PartNames.h"
#include "engine/SrParser.h"
#include "system/CodePage.h"

namespace mailvane {
namespace {

bool onlyDigits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("-0123456789") == std::string::npos;
}

TEST(Fixfilename, ReplyMarksColonsAndTheTable) {
  SrParser p;
  EXPECT_EQ(p.Fixfilename("Re: Hello!"), "Hello");
  EXPECT_EQ(p.Fixfilename("Fwd: Hello"), "Hello");
  EXPECT_EQ(p.Fixfilename("a<b>.gif"), "a b .gif");
  EXPECT_EQ(p.Fixfilename("cid_image001.jpg"), "image001.jpg");
  EXPECT_EQ(p.Fixfilename("x~y.doc"), "x_y.doc");
  EXPECT_EQ(p.Fixfilename("visor.jpg"), "vr.jpg");
  EXPECT_EQ(p.Fixfilename("=?iso-8859-1?Q?K=F8benhavn?="), "88591QKF8benhavn");
  EXPECT_EQ(p.Fixfilename("Great :-) news;) \tnow"), "Greatnewsnow");
  EXPECT_EQ(p.Fixfilename("a*b|c[d]{e}^f+g#h%i`j"), "a bcdefghij");
  EXPECT_EQ(p.Fixfilename(system::fromUtf8("x\xC2\xB4y\xC2\xA7z\xC2\xA8w\xC2\xA4.txt")), "xyzw.txt");
}

TEST(Fixfilename, ShortNamesGetANumericPrefix) {
  SrParser p;
  EXPECT_TRUE(onlyDigits(p.Fixfilename("?")));
  EXPECT_TRUE(onlyDigits(p.Fixfilename("")));
  const std::string one = p.Fixfilename("x");
  EXPECT_EQ(one.back(), 'x');
  EXPECT_TRUE(onlyDigits(one.substr(0, one.size() - 1)));
}

TEST(PartNames, RepeatedNamesAreNumberedBeforeTheFirstDot) {
  engine::PartNames names;
  EXPECT_EQ(names.claim("pic.gif"), "pic.gif");
  EXPECT_EQ(names.claim("pic.gif"), "pic1.gif");
  EXPECT_EQ(names.claim("pic1.gif"), "pic11.gif");  // taken by the second picture
  EXPECT_EQ(names.claim("pic2.gif"), "pic2.gif");
  EXPECT_EQ(names.claim("pic.gif"), "pic3.gif");    // 2 is used by another part
  EXPECT_EQ(names.claim("a.tar.gz"), "a.tar.gz");
  EXPECT_EQ(names.claim("a.tar.gz"), "a1.tar.gz");
  EXPECT_EQ(names.claim("PIC.gif"), "PIC.gif");     // names on disk keep their case
}

TEST(PartNames, FitKeepsOneShortNameInsideTheFolder) {
  using engine::PartNames;
  EXPECT_EQ(PartNames::fit("normal.gif"), "normal.gif");
  EXPECT_EQ(PartNames::fit(""), "_");
  EXPECT_EQ(PartNames::fit(".."), "_..");
  EXPECT_EQ(PartNames::fit("."), "_.");
  EXPECT_EQ(PartNames::fit(std::string("a\0/b", 4)), "a__b");
  const std::string longName = std::string(300, 'n') + ".jpeg";
  const std::string fitted = PartNames::fit(longName);
  EXPECT_EQ(fitted.size(), PartNames::kMaxNameBytes);
  EXPECT_TRUE(fitted.ends_with("n.jpeg"));
  // Measured in UTF-8: each accented letter takes two bytes on disk.
  const std::string accented = PartNames::fit(std::string(200, '\xE5') + ".txt");
  EXPECT_EQ(system::toUtf8(accented).size(), PartNames::kMaxNameBytes);
  EXPECT_TRUE(accented.ends_with(".txt"));
  // A very long "extension" is just part of the name.
  EXPECT_EQ(PartNames::fit("a." + std::string(300, 'x')).size(), PartNames::kMaxNameBytes);
}

}  // namespace
}  // namespace mailvane
