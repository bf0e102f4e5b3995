#include "service/http/compression.h"

#include <brotli/encode.h>
#include <zlib.h>

#include <cstdint>
#include <limits>
#include <new>
#include <stdexcept>

namespace quorvel::service {
namespace {

constexpr int kGzipQuickLevel = 1;
constexpr int kGzipLevel = 6;
constexpr int kGzipWindowBits = 15 + 16;  // 32 KiB window, gzip wrapping
constexpr int kGzipMemoryLevel = 8;
constexpr int kBrotliQuickQuality = 0;
constexpr int kBrotliQuality = 5;
constexpr int kBrotliMaxWindowBits = 22;
constexpr int kBrotliMinWindowBits = 10;

// One deflate state a thread, reset between replies: setting one up costs
// more than compressing a listing page.
class GzipStream {
 public:
  explicit GzipStream(int level) {
    if (deflateInit2(&stream_, level, Z_DEFLATED, kGzipWindowBits, kGzipMemoryLevel,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
      throw std::bad_alloc();
    }
  }
  ~GzipStream() { deflateEnd(&stream_); }
  GzipStream(const GzipStream&) = delete;
  GzipStream& operator=(const GzipStream&) = delete;

  std::string Compress(std::string_view in) {
    if (in.size() > std::numeric_limits<uInt>::max() / 2) throw std::runtime_error("too large");
    deflateReset(&stream_);
    std::string out(deflateBound(&stream_, static_cast<uLong>(in.size())), '\0');
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream_.avail_in = static_cast<uInt>(in.size());
    stream_.next_out = reinterpret_cast<Bytef*>(out.data());
    stream_.avail_out = static_cast<uInt>(out.size());
    // The bound holds the whole stream, so one call finishes it.
    if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
    out.resize(stream_.total_out);
    return out;
  }

 private:
  z_stream stream_{};
};

// A thread's stream at each level, made when first used.
GzipStream& GzipStreamOf(bool quick) {
  if (quick) {
    thread_local GzipStream stream(kGzipQuickLevel);
    return stream;
  }
  thread_local GzipStream stream(kGzipLevel);
  return stream;
}

// The smallest window that holds the whole reply: a listing page needs a few
// kilobytes of encoder state instead of the megabytes a full window takes.
int BrotliWindowBits(std::size_t size) {
  int bits = kBrotliMinWindowBits;
  while (bits < kBrotliMaxWindowBits && (std::size_t{1} << bits) - 16 < size) ++bits;
  return bits;
}

std::string CompressBrotli(std::string_view in, int quality) {
  std::size_t size = BrotliEncoderMaxCompressedSize(in.size());
  if (size == 0) throw std::runtime_error("too large");
  std::string out(size, '\0');
  if (BrotliEncoderCompress(quality, BrotliWindowBits(in.size()), BROTLI_MODE_TEXT, in.size(),
                            reinterpret_cast<const std::uint8_t*>(in.data()), &size,
                            reinterpret_cast<std::uint8_t*>(out.data())) != BROTLI_TRUE) {
    throw std::runtime_error("brotli failed");
  }
  out.resize(size);
  return out;
}

}  // namespace

std::string Compress(ContentCoding coding, std::string_view identity, CompressionEffort effort) {
  const bool quick = effort == CompressionEffort::kQuick;
  switch (coding) {
    case ContentCoding::kGzip:
      return GzipStreamOf(quick).Compress(identity);
    case ContentCoding::kBrotli:
      return CompressBrotli(identity, quick ? kBrotliQuickQuality : kBrotliQuality);
    case ContentCoding::kIdentity:
      break;
  }
  return std::string(identity);
}

}  // namespace quorvel::service
