// Compressed bodies for the tests of the HTTP client and the content
// decoding: zlib writes them, so they are checked against another library.
#pragma once

#include <zlib.h>

#include <string>
#include <string_view>

namespace orvane::testing {

// windowBits 31 writes a gzip wrapper, 15 a zlib one (HTTP "deflate"), -15 none.
inline std::string Compress(std::string_view text, int windowBits, int level = Z_BEST_COMPRESSION) {
  z_stream stream{};
  deflateInit2(&stream, level, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
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

}  // namespace orvane::testing
