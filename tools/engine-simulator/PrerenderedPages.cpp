#include "PrerenderedPages.h"

#include <zlib.h>

#include "EngineSimulator.h"
#include "base/OvException.h"

namespace orvane::sim {

std::string Gzip(std::string_view text) {
  z_stream stream{};
  if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw TOvException("Cannot start a gzip stream", "PrerenderedPages", "Gzip");
  std::string out(deflateBound(&stream, static_cast<uLong>(text.size())), '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  stream.avail_in = static_cast<uInt>(text.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  if (status != Z_STREAM_END) throw TOvException("Cannot gzip a page", "PrerenderedPages", "Gzip");
  return out;
}

TPrerenderedPages::TPrerenderedPages(const std::vector<std::string>& keywords, int64_t defaultTotal, int pages) {
  for (const std::string& words : keywords)
    for (int engine = 0; engine < 3; ++engine) {
      // The keywords as the engine receives them from QueryTarget's address.
      const std::string received = engine == kMSN ? "language:en " + words : words;
      for (int page = 0; page < pages; ++page) {
        TPrerenderedPage& out = pages_[engine][QueryTarget(engine, words, page)];
        out.Html = RenderPage(engine, received, page * 100, 100, defaultTotal).Html;
        out.Gzipped = Gzip(out.Html);
      }
    }
}

const TPrerenderedPage* TPrerenderedPages::Find(int engine, std::string_view target) const {
  if (engine < 0 || engine > 2) return nullptr;
  const auto found = pages_[engine].find(std::string(target));
  return found == pages_[engine].end() ? nullptr : &found->second;
}

}  // namespace orvane::sim
