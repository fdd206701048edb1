#include "core/files/Hex2BinConverter.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReferenceHexReader.h"

namespace korvane {
namespace {

struct Converted {
  std::vector<uint8_t> image = std::vector<uint8_t>(kConvertImageSize, 0);
  C_Hex2BinConverter converter;
  Converted(const std::string& text, uint32_t codeLimit = 0x200, uint32_t optionStart = 0x10000,
            uint32_t optionSize = 0x200)
      : converter(codeLimit, optionStart, optionSize) {
    Convert(image.data(), converter, text.data(), static_cast<uint32_t>(text.size()));
  }
  // Every byte outside [from, from + bytes.size()) must be 0xFF.
  bool OnlyAt(uint32_t from, const std::vector<uint8_t>& bytes) const {
    for (uint32_t i = 0; i < image.size(); ++i) {
      const bool inside = i >= from && i < from + bytes.size();
      if (image[i] != (inside ? bytes[i - from] : 0xFF)) return false;
    }
    return true;
  }
};

struct PlacementCase {
  const char* what;
  std::string text;
  uint32_t at;
  std::vector<uint8_t> bytes;
};

class Placement : public testing::TestWithParam<PlacementCase> {};

TEST_P(Placement, PutsTheDataWhereTheRecordsSay) {
  const PlacementCase& c = GetParam();
  Converted r(c.text);
  EXPECT_TRUE(r.OnlyAt(c.at, c.bytes)) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Placement,
    testing::Values(
        PlacementCase{"plain record", ":0400100001020304E2\n:00000001FF\n", 0x10, {1, 2, 3, 4}},
        PlacementCase{"wrong checksum changes nothing", ":040010000102030400\n", 0x10, {1, 2, 3, 4}},
        PlacementCase{"data after the end record", ":00000001FF\n:0400100001020304E2\n", 0x10, {1, 2, 3, 4}},
        PlacementCase{"linear address", ":020000040001F9\n:02000000AABB99\n", 0x10000, {0xAA, 0xBB}},
        PlacementCase{"segment wrap at the line start only", ":020000021000EC\n:04FFFE00AABBCCDDF1\n", 0x1FFFE,
                      {0xAA, 0xBB, 0xCC, 0xDD}},
        PlacementCase{"CR before LF is not data", ":0400100001020304E2\r\n", 0x10, {1, 2, 3, 4}},
        PlacementCase{"record continued on the next line", ":040010000102\n0304E2\n", 0x10, {1, 2, 3, 4}},
        PlacementCase{"line without colon after a complete record", ":0200100001020B\n0304\n", 0x10, {1, 2}},
        PlacementCase{"empty lines and CRLF", "\n\r\n:0200100001020B\r\n\n", 0x10, {1, 2}},
        PlacementCase{"bad hex reads as far as valid", ":02001000G44G00\n", 0x10, {0x00, 0x04}},
        PlacementCase{"last line without line feed", ":0200100001020B", 0x10, {1, 2}},
        PlacementCase{"a cut header takes no data", ":0400\n:0200100001020B\n", 0x10, {1, 2}},
        PlacementCase{"start address and unknown types ignored",
                      ":0400000300001234B3\n:04000005000012349F\n:020000090102F2\n:0200100001020B\n", 0x10, {1, 2}}));

TEST(Convert, MeasuresTheCodeEndFromTheHighMark) {
  Converted r(":0400100001020304E2\n:00000001FF\n");
  EXPECT_EQ(r.converter.codeEnd, 0x14u);
  EXPECT_EQ(r.converter.highMark, 0x14u);
  EXPECT_EQ(r.converter.eraseByte, 0xFF);
  EXPECT_EQ(r.converter.gapByte, 0xFF);
}

TEST(Convert, CodeEndStaysBelowTheLimitWhenTheLastLineReachesIt) {
  std::string text;
  for (uint32_t a = 0; a < 0x200; a += 16) {
    char line[64];
    std::snprintf(line, sizeof line, ":10%04X00", a);
    text += line + std::string(32, '0') + "00\n";
  }
  Converted r(text, 0x200);
  EXPECT_EQ(r.converter.codeEnd, 0x1F0u);
  EXPECT_EQ(r.converter.highMark, 0x200u);
}

TEST(Convert, DataAboveTheLimitFirstLeavesNoCodeEnd) {
  Converted r(":020300000102F8\n:0200100001020B\n", 0x200);
  EXPECT_EQ(r.converter.codeEnd, 0u);
}

TEST(Convert, CountsOptionBytesUpToTheLastOneWritten) {
  Converted one(":020000040001F9\n:01000000A55A\n", 0x200, 0x10000, 0x200);
  EXPECT_EQ(one.converter.optionCount, 1u);
  EXPECT_EQ(one.image[0x10000], 0xA5);
  Converted six(":020000040001F9\n:06000000010203040506E7\n", 0x200, 0x10000, 0x200);
  EXPECT_EQ(six.converter.optionCount, 6u);
}

// The option count says how many option bytes the file holds: a record that
// rewrites the start of the option area later never shrinks it, whichever
// way the line is read (whole sound records, a cut record with its
// continuation, a pair that is not hexadecimal).
TEST(Convert, TheOptionCountOnlyGrows) {
  const char* texts[] = {
      ":020000040001F9\n:08000000010203040506070800\n:020000000A0B00\n",
      ":020000040001F9\n:0800000001020304\n0506070800\n:020000000A0B00\n",
      ":020000040001F9\n:08000000010203040506070800\n:020000000AG400\n",
  };
  for (const char* text : texts) {
    Converted r(text, 0x200, 0x10000, 0x200);
    EXPECT_EQ(r.converter.optionCount, 8u) << text;
    EXPECT_EQ(r.image[0x10007], 0x08) << text;
  }
}

// The segment wrap applies to the start of every line, a continuation line's too.
TEST(Convert, ASegmentWrapsAtTheStartOfAContinuationLine) {
  Converted r(":020000021000EC\n:04FFFE00AABB\nCCDD\n");
  EXPECT_EQ(r.image[0x1FFFE], 0xAA);
  EXPECT_EQ(r.image[0x1FFFF], 0xBB);
  EXPECT_EQ(r.image[0x10000], 0xCC);
  EXPECT_EQ(r.image[0x10001], 0xDD);
  EXPECT_EQ(r.image[0x20000], 0xFF);
}

// An address record between a cut data record and its continuation moves
// the rest of the record: the record still expects its bytes, at the new base.
TEST(Convert, AnAddressRecordBetweenACutRecordAndItsContinuationMovesTheRest) {
  Converted r(":04001000AABB\n:020000040001F9\nCCDD\n");
  EXPECT_EQ(r.image[0x10], 0xAA);
  EXPECT_EQ(r.image[0x11], 0xBB);
  EXPECT_EQ(r.image[0x12], 0xFF);
  EXPECT_EQ(r.image[0x10012], 0xCC);
  EXPECT_EQ(r.image[0x10013], 0xDD);
}

TEST(Convert, RecordPositionCarriesIntoTheNextRecordWhenOneWasCut) {
  // The cut record still expects two bytes; the next record starts after the
  // two that were taken, as the reader has always done.
  Converted r(":04001000AABB\n:02002000CCDD00\n");
  EXPECT_EQ(r.image[0x22], 0xCC);
  EXPECT_EQ(r.image[0x23], 0xDD);
  EXPECT_EQ(r.image[0x20], 0xFF);
}

TEST(Convert, ALineOf4096CharactersEndsTheConversion) {
  const std::string longLine = ":0200200001020B" + std::string(4096 - 15, ' ');
  Converted r(":0200100001020B\n" + longLine + "\n:0200300001020B\n");
  EXPECT_EQ(r.image[0x10], 0x01);
  EXPECT_EQ(r.image[0x20], 0xFF);
  EXPECT_EQ(r.image[0x30], 0xFF);
  const std::string shorter = ":0200200001020B" + std::string(4095 - 15, ' ');
  Converted s(":0200100001020B\n" + shorter + "\n:0200300001020B\n");
  EXPECT_EQ(s.image[0x20], 0x01);
  EXPECT_EQ(s.image[0x30], 0x01);
}

TEST(Convert, DataBeyondTheImageIsNotStoredButAdvancesTheCursor) {
  Converted r(":020000040050AA\n:04FFFE00AABBCCDDF1\n", 0x200, 0, 0);
  EXPECT_EQ(r.image[kConvertImageSize - 1], 0xFF);
  EXPECT_EQ(r.converter.cursor, 0x50FFFEu + 4);
  EXPECT_EQ(r.converter.highMark, 0x510002u);
  Converted edge(":02000004004FAB\n:04FFFE00AABBCCDDF1\n", 0x200, 0, 0);
  EXPECT_EQ(edge.image[kConvertImageSize - 2], 0xAA);
  EXPECT_EQ(edge.image[kConvertImageSize - 1], 0xBB);
}

TEST(Convert, NothingHappensWithoutTextOrImage) {
  std::vector<uint8_t> image(kConvertImageSize, 7);
  C_Hex2BinConverter c(0x200, 0, 0);
  Convert(image.data(), c, nullptr, 10);
  EXPECT_EQ(image[0], 7);
  Convert(nullptr, c, ":00000001FF", 11);
  EXPECT_EQ(c.eraseByte, 0);
}

}  // namespace
}  // namespace korvane

namespace korvane {
namespace {

// Garbage of every kind is read leniently and never written outside the image
// (run under the sanitizers to see the second half).
TEST(Convert, ArbitraryTextStaysInsideTheImage) {
  std::mt19937 random(11);
  const std::string alphabet = ":0123456789ABCDEFabcdefG\r\n ";
  std::vector<uint8_t> image(kConvertImageSize);
  for (int round = 0; round < 200; ++round) {
    std::string text;
    const int lines = static_cast<int>(random() % 20);
    for (int l = 0; l < lines; ++l) {
      if (random() % 3 == 0) text += ":02000004" + std::string(random() % 2 ? "FFFF" : "004F") + "00\n";
      const int n = static_cast<int>(random() % 60);
      for (int i = 0; i < n; ++i) text += alphabet[random() % alphabet.size()];
      text += '\n';
    }
    C_Hex2BinConverter c(0x200, static_cast<uint32_t>(random() % kConvertImageSize), 0x100);
    Convert(image.data(), c, text.data(), static_cast<uint32_t>(text.size()));
    EXPECT_LE(c.optionCount, 0x100u);
    EXPECT_LT(c.codeEnd, 0x200u);
  }
}

// Text of the kinds a code file holds, sound and broken: data records of
// every length with extended addresses near the top of the address space and
// near the option window, cut records, continuation lines, bad digits, CRLF.
std::string RandomHexText(std::mt19937& random) {
  auto hex = [&](uint32_t v, int digits) {
    char b[16];
    std::snprintf(b, sizeof b, "%0*X", digits, v);
    return std::string(b);
  };
  const char* bases[] = {"0000", "0001", "004F", "0050", "FFFF", "1000", "0002"};
  std::string text;
  const int lines = static_cast<int>(random() % 60);
  for (int l = 0; l < lines; ++l) {
    switch (random() % 10) {
      case 0: text += ":02000004" + std::string(bases[random() % 7]) + "00"; break;
      case 1: text += ":02000002" + std::string(bases[random() % 7]) + "00"; break;
      case 2: text += ":00000001FF"; break;
      case 3: {  // a continuation line or junk
        const int n = static_cast<int>(random() % 40);
        for (int i = 0; i < n; ++i) text += "0123456789ABCDEFabcdefG :\r"[random() % 26];
        break;
      }
      default: {
        const uint32_t n = random() % 3 == 0 ? random() % 256 : 16;
        const uint32_t offset = random() % 4 == 0 ? 0xFFF0 + random() % 16 : random() % 0x10000;
        text += ":" + hex(n, 2) + hex(offset, 4) + "00";
        uint32_t shown = random() % 4 == 0 ? random() % (n + 2) : n + 1;  // cut, whole, or with its checksum
        for (uint32_t i = 0; i < shown; ++i) {
          if (random() % 200 == 0) text += random() % 2 ? "G4" : "4G";
          else text += hex(random() % 256, 2);
        }
      }
    }
    text += random() % 3 == 0 ? "\r\n" : "\n";
  }
  if (!text.empty() && random() % 4 == 0) text.pop_back();  // no line feed at the end
  return text;
}

// The reader decodes whole lines at once; every rule of the plain
// byte-by-byte reading must hold all the same, for the image and for every
// member of the converter, however the text is cut into pieces.
TEST(Convert, AgreesWithThePlainReaderByteForByte) {
  std::mt19937 random(2024);
  std::vector<uint8_t> expected(kConvertImageSize), got(kConvertImageSize), fed(kConvertImageSize);
  for (int round = 0; round < 300; ++round) {
    const std::string text = RandomHexText(random);
    const uint32_t optionStart = random() % 2 ? 0x10000 : static_cast<uint32_t>(random() % kConvertImageSize);
    const uint32_t codeLimit = random() % 2 ? 0x200 : 0x4E0000;
    C_Hex2BinConverter a(codeLimit, optionStart, 0x100), b(codeLimit, optionStart, 0x100),
        c(codeLimit, optionStart, 0x100);
    test::ReferenceConvert(expected.data(), a, text.data(), static_cast<uint32_t>(text.size()));
    Convert(got.data(), b, text.data(), static_cast<uint32_t>(text.size()));
    ASSERT_TRUE(test::SameConverterState(a, b)) << text;
    ASSERT_TRUE(expected == got) << text;

    HexTextReader reader(fed.data(), c);
    for (size_t at = 0; at < text.size();) {
      const size_t n = std::min<size_t>(text.size() - at, 1 + random() % 64);
      reader.Feed(text.data() + at, static_cast<uint32_t>(n));
      at += n;
    }
    reader.Finish();
    ASSERT_TRUE(test::SameConverterState(a, c)) << text;
    ASSERT_TRUE(expected == fed) << text;
  }
}

TEST(Convert, ALongLineSplitOverPiecesStillEndsTheConversion) {
  const std::string text = ":0200100001020B\n:0200200001020B" + std::string(4096, ' ') + "\n:0200300001020B\n";
  std::vector<uint8_t> image(kConvertImageSize);
  C_Hex2BinConverter c(0x200, 0x10000, 0x100);
  HexTextReader reader(image.data(), c);
  bool going = true;
  for (size_t at = 0; at < text.size(); at += 100)
    going = reader.Feed(text.data() + at, static_cast<uint32_t>(std::min<size_t>(100, text.size() - at)));
  reader.Finish();
  EXPECT_FALSE(going);
  EXPECT_EQ(image[0x10], 0x01);
  EXPECT_EQ(image[0x20], 0xFF);
  EXPECT_EQ(image[0x30], 0xFF);
}

}  // namespace
}  // namespace korvane
