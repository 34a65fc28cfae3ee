#include "platform/ContentDecoding.h"

#include <libdeflate.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace orvane {

namespace {

enum class TFormat { kGzip, kZlib, kRawDeflate };

struct TDecompressorFree {
  void operator()(libdeflate_decompressor* decompressor) const { libdeflate_free_decompressor(decompressor); }
};

// One per thread: a decompressor holds its tables and is not to be shared.
libdeflate_decompressor* Decompressor() {
  thread_local const std::unique_ptr<libdeflate_decompressor, TDecompressorFree> decompressor(
      libdeflate_alloc_decompressor());
  return decompressor.get();
}

libdeflate_result Run(TFormat format, std::string_view in, char* out, size_t room, size_t* used, size_t* made) {
  libdeflate_decompressor* decompressor = Decompressor();
  switch (format) {
    case TFormat::kGzip:
      return libdeflate_gzip_decompress_ex(decompressor, in.data(), in.size(), out, room, used, made);
    case TFormat::kZlib:
      return libdeflate_zlib_decompress_ex(decompressor, in.data(), in.size(), out, room, used, made);
    case TFormat::kRawDeflate:
      return libdeflate_deflate_decompress_ex(decompressor, in.data(), in.size(), out, room, used, made);
  }
  return LIBDEFLATE_BAD_DATA;
}

// The whole output needs room at once: a gzip stream names its size in its
// last four bytes (for a single member); otherwise, or when that is too
// little, the room doubles until the limit.
size_t FirstRoom(TFormat format, std::string_view in) {
  size_t room = in.size() * 4;
  if (format == TFormat::kGzip && in.size() >= 4) {
    const auto* tail = reinterpret_cast<const unsigned char*>(in.data() + in.size() - 4);
    room = std::max<size_t>(room, tail[0] | tail[1] << 8 | tail[2] << 16 | static_cast<size_t>(tail[3]) << 24);
  }
  return std::max<size_t>(room, 4096);
}

// One stream (a gzip member) from the start of `in`, appended to `out`;
// `used` gets the input bytes it took.
TDecodeOutcome InflateOne(TFormat format, std::string_view in, std::string& out, size_t limit, size_t& used) {
  const size_t start = out.size();
  if (start > limit) return TDecodeOutcome::kTooLarge;
  size_t room = std::min(FirstRoom(format, in), limit + 1 - start);
  while (true) {
    out.resize(start + room);
    size_t made = 0;
    const libdeflate_result result = Run(format, in, out.data() + start, room, &used, &made);
    if (result == LIBDEFLATE_SUCCESS) {
      out.resize(start + made);
      return start + made > limit ? TDecodeOutcome::kTooLarge : TDecodeOutcome::kDecoded;
    }
    if (result != LIBDEFLATE_INSUFFICIENT_SPACE) return TDecodeOutcome::kUndecodable;
    if (start + room > limit) return TDecodeOutcome::kTooLarge;
    room = std::min(room * 2, limit + 1 - start);
  }
}

bool StartsGzipMember(std::string_view in) {
  return in.size() >= 2 && static_cast<unsigned char>(in[0]) == 0x1f && static_cast<unsigned char>(in[1]) == 0x8b;
}

// Every member in turn; bytes after the last that start no member are
// padding some servers send, and are ignored.
TDecodeOutcome Gunzip(std::string_view in, std::string& out, size_t limit) {
  out.clear();
  do {
    size_t used = 0;
    const TDecodeOutcome outcome = InflateOne(TFormat::kGzip, in, out, limit, used);
    if (outcome != TDecodeOutcome::kDecoded) return outcome;
    in.remove_prefix(used);
  } while (StartsGzipMember(in));
  return TDecodeOutcome::kDecoded;
}

TDecodeOutcome Inflate(std::string_view in, std::string& out, size_t limit) {
  size_t used = 0;
  out.clear();
  const TDecodeOutcome wrapped = InflateOne(TFormat::kZlib, in, out, limit, used);
  if (wrapped != TDecodeOutcome::kUndecodable) return wrapped;
  out.clear();
  return InflateOne(TFormat::kRawDeflate, in, out, limit, used);
}

std::string LowerTrimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

// The codings that change the bytes, in the order they were applied.
std::vector<std::string> Codings(std::string_view encoding) {
  std::vector<std::string> codings;
  while (!encoding.empty()) {
    const size_t comma = encoding.find(',');
    std::string coding = LowerTrimmed(encoding.substr(0, comma));
    if (!coding.empty() && coding != "identity") codings.push_back(std::move(coding));
    encoding.remove_prefix(comma == std::string_view::npos ? encoding.size() : comma + 1);
  }
  return codings;
}

TDecoded DecodeOne(const std::string& coding, std::string_view in, std::string& out, size_t limit) {
  TDecodeOutcome outcome;
  if (coding == "gzip" || coding == "x-gzip")
    outcome = Gunzip(in, out, limit);
  else if (coding == "deflate")
    outcome = Inflate(in, out, limit);
  else
    return {TDecodeOutcome::kUndecodable, "the page came in an encoding Orvane cannot read: " + coding};
  if (outcome == TDecodeOutcome::kUndecodable) return {outcome, "the page's " + coding + " data is damaged"};
  return {outcome, ""};
}

}  // namespace

TDecoded DecodeContent(std::string_view encoding, std::string_view raw, std::string& out, size_t limit) {
  const std::vector<std::string> codings = Codings(encoding);
  if (codings.empty() || raw.empty()) {
    out.assign(raw);
    return {raw.size() > limit ? TDecodeOutcome::kTooLarge : TDecodeOutcome::kDecoded, ""};
  }
  std::string between;  // what one step leaves for the next
  std::string_view in = raw;
  for (size_t step = codings.size(); step-- > 0;) {
    TDecoded decoded = DecodeOne(codings[step], in, out, limit);
    if (decoded.Outcome != TDecodeOutcome::kDecoded) return decoded;
    if (step == 0) break;
    between.swap(out);
    in = between;
  }
  return {};
}

}  // namespace orvane
