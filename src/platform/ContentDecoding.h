// Decoding of an HTTP body by its Content-Encoding. The whole body is there
// before it is decoded, so it is inflated in one call (libdeflate), which is
// some three times faster than zlib's streaming inflate that libcurl uses.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

enum class TDecodeOutcome { kDecoded, kTooLarge, kUndecodable };

struct TDecoded {
  TDecodeOutcome Outcome = TDecodeOutcome::kDecoded;
  std::string Problem;  // what went wrong, for the log and the error page
};

// Decodes `raw` by `encoding`, the value of the Content-Encoding header
// ("gzip", "x-gzip", "deflate", "identity" or empty; a list was applied
// left to right, so it is undone right to left) into `out`, which keeps its
// memory. More than `limit` decoded bytes is kTooLarge. "deflate" may come
// with the zlib wrapper or without it, as servers differ.
TDecoded DecodeContent(std::string_view encoding, std::string_view raw, std::string& out, size_t limit);

}  // namespace orvane
