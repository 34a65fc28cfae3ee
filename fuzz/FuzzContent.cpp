// Page bodies as a hostile engine might send them: arbitrary bytes under
// every Content-Encoding the client reads, and the same bytes compressed
// properly. Nothing may decode beyond the limit, and what was compressed
// must come back exactly.
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ContentDecoding.h"

using namespace orvane;

namespace {

constexpr size_t kLimit = 256u << 10;
const char* const kEncodings[] = {"gzip", "x-gzip", "deflate", "identity", "", "deflate, gzip", "gzip, gzip", "br"};

std::string Compress(std::string_view text, int windowBits) {
  z_stream stream{};
  deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, text.size()) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}

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
  const TDecoded back = DecodeContent(windowBits == 31 ? "gzip" : "deflate", Compress(raw, windowBits), out, kLimit);
  if (back.Outcome != TDecodeOutcome::kDecoded || out != raw) std::abort();
  return 0;
}
