// Page bodies as a hostile engine might send them: arbitrary bytes under
// every Content-Encoding the client reads, and the same bytes compressed
// properly. Nothing may decode beyond the limit, and what was compressed
// must come back exactly.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ContentDecoding.h"
#include "support/Deflate.h"

using namespace orvane;

namespace {

constexpr size_t kLimit = 256u << 10;
const char* const kEncodings[] = {"gzip", "x-gzip", "deflate", "identity", "", "deflate, gzip", "gzip, gzip", "br"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const char* encoding = kEncodings[data[0] % (sizeof kEncodings / sizeof kEncodings[0])];
  const std::string_view raw(reinterpret_cast<const char*>(data + 1), size - 1);
  std::string out = "left over";
  const TDecoded decoded = DecodeContent(encoding, raw, out, kLimit);
  if (decoded.Outcome == TDecodeOutcome::kDecoded && out.size() > kLimit) std::abort();
  if (decoded.Outcome == TDecodeOutcome::kUndecodable && decoded.Problem.empty()) std::abort();

  const int windowBits = data[0] & 1 ? 31 : (data[0] & 2 ? 15 : -15);
  const TDecoded back = DecodeContent(windowBits == 31 ? "gzip" : "deflate",
                                      testing::Compress(raw, windowBits, Z_DEFAULT_COMPRESSION), out, kLimit);
  if (back.Outcome != TDecodeOutcome::kDecoded || out != raw) std::abort();
  return 0;
}
