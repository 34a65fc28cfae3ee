#include <gtest/gtest.h>

#include <string>

#include "platform/ContentDecoding.h"
#include "support/Deflate.h"

namespace orvane {
namespace {

using testing::Compress;

std::string Page(size_t size) {
  std::string page;
  for (size_t i = 0; page.size() < size; ++i)
    page += "<li><a href=\"http://site" + std::to_string(i) + ".com/\">r\xe9sult</a>";
  page.resize(size);
  return page;
}

TDecodeOutcome Decode(std::string_view encoding, const std::string& raw, std::string& out, size_t limit = 1u << 20) {
  return DecodeContent(encoding, raw, out, limit).Outcome;
}

TEST(ContentDecoding, ReadsEveryFormEnginesSend) {
  const std::string page = Page(50000);
  struct TCase {
    const char* Encoding;
    std::string Raw;
  } cases[] = {{"gzip", Compress(page, 31)},
               {"x-gzip", Compress(page, 31)},
               {" GZip ", Compress(page, 31)},
               {"deflate", Compress(page, 15)},
               {"deflate", Compress(page, -15)},
               {"identity", page},
               {"", page},
               {"deflate, gzip", Compress(Compress(page, 15), 31)},
               {"identity, gzip", Compress(page, 31)}};
  for (const TCase& c : cases) {
    std::string out = "left over from the last page";
    EXPECT_EQ(Decode(c.Encoding, c.Raw, out), TDecodeOutcome::kDecoded) << c.Encoding;
    EXPECT_EQ(out, page) << c.Encoding;
  }
}

TEST(ContentDecoding, GzipMembersFollowOneAnotherAndPaddingIsIgnored) {
  const std::string first = Page(3000), second = Page(7000);
  std::string out;
  EXPECT_EQ(Decode("gzip", Compress(first, 31) + Compress(second, 31) + std::string(8, '\0'), out),
            TDecodeOutcome::kDecoded);
  EXPECT_EQ(out, first + second);
}

TEST(ContentDecoding, DamagedOrUnknownIsUndecodableAndSaysWhy) {
  std::string gzipped = Compress(Page(20000), 31);
  gzipped[gzipped.size() / 2] ^= 0x55;
  std::string out;
  const TDecoded damaged = DecodeContent("gzip", gzipped, out, 1u << 20);
  EXPECT_EQ(damaged.Outcome, TDecodeOutcome::kUndecodable);
  EXPECT_NE(damaged.Problem.find("gzip"), std::string::npos);
  EXPECT_EQ(Decode("deflate", "not deflate at all", out), TDecodeOutcome::kUndecodable);
  const TDecoded unknown = DecodeContent("br", "anything", out, 1u << 20);
  EXPECT_EQ(unknown.Outcome, TDecodeOutcome::kUndecodable);
  EXPECT_NE(unknown.Problem.find("br"), std::string::npos);
}

// The limit is on the decoded bytes: a small body may not unfold into more.
TEST(ContentDecoding, MoreThanTheLimitIsTooLarge) {
  const std::string page = Page(10000);
  std::string out;
  EXPECT_EQ(Decode("gzip", Compress(page, 31), out, page.size()), TDecodeOutcome::kDecoded);
  EXPECT_EQ(Decode("gzip", Compress(page, 31), out, page.size() - 1), TDecodeOutcome::kTooLarge);
  EXPECT_EQ(Decode("deflate", Compress(page, 15), out, page.size() - 1), TDecodeOutcome::kTooLarge);
  EXPECT_EQ(Decode("identity", page, out, page.size() - 1), TDecodeOutcome::kTooLarge);
  const std::string zeros(9u << 20, '\0');
  EXPECT_EQ(Decode("gzip", Compress(zeros, 31), out, 8u << 20), TDecodeOutcome::kTooLarge);
}

// The size a gzip stream gives for itself is a hint, not a promise.
TEST(ContentDecoding, SizesAreHintsAndGzipTrailersAreChecked) {
  const std::string page = Page(200000);
  std::string gzipped = Compress(page, 31);
  gzipped.replace(gzipped.size() - 4, 4, std::string("\x10\0\0\0", 4));
  std::string out;
  EXPECT_EQ(Decode("gzip", gzipped, out), TDecodeOutcome::kUndecodable);  // the trailer is checked
  const std::string deflated = Compress(page, -15);
  EXPECT_EQ(Decode("deflate", deflated, out), TDecodeOutcome::kDecoded);  // 4 x the input is far too little
  EXPECT_EQ(out, page);
}

}  // namespace
}  // namespace orvane
