#include "service/http/compression.h"

#include <brotli/encode.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <memory>
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

  std::string Compress(std::string_view in, std::string& scratch) {
    if (in.size() > std::numeric_limits<uInt>::max() / 2) throw std::runtime_error("too large");
    deflateReset(&stream_);
    scratch.resize(deflateBound(&stream_, static_cast<uLong>(in.size())));
    stream_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
    stream_.avail_in = static_cast<uInt>(in.size());
    stream_.next_out = reinterpret_cast<Bytef*>(scratch.data());
    stream_.avail_out = static_cast<uInt>(scratch.size());
    // The bound holds the whole stream, so one call finishes it.
    if (deflate(&stream_, Z_FINISH) != Z_STREAM_END) throw std::runtime_error("deflate failed");
    return scratch.substr(0, stream_.total_out);
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

// What a thread compresses into before the body is copied out at its size:
// a buffer for the worst case is needed for each reply, and allocating it
// anew each time cost more than keeping one.  Large buffers (of a page of a
// thousand entries) are let go again, so that a thread does not keep them.
std::string& ScratchOutput() {
  thread_local std::string scratch;
  return scratch;
}

void LetGoIfLarge(std::string& scratch) {
  constexpr std::size_t kKept = 64 * 1024;
  if (scratch.capacity() > kKept) std::string().swap(scratch);
}

// The memory brotli's encoder asks for while it compresses one reply, from a
// block each thread keeps: the encoder makes and frees some tables of tens of
// kilobytes for every reply, which cost more in the allocator than the
// quick compression itself, and left holes in the heap between the replies
// kept.  What does not fit in the block comes from the heap as usual.
class EncoderArena {
 public:
  static EncoderArena& OfThread() {
    thread_local EncoderArena arena;
    return arena;
  }

  // Forgets what the last encoder took; call before each encoder is made.
  void Reset() { used_ = 0; }

  static void* Allocate(void* self, std::size_t size) {
    return static_cast<EncoderArena*>(self)->Take(size);
  }
  static void Free(void* self, void* address) {
    if (!static_cast<EncoderArena*>(self)->Holds(address)) std::free(address);
  }

 private:
  static constexpr std::size_t kBlockBytes = 1024 * 1024;
  static constexpr std::size_t kAlignment = 64;

  void* Take(std::size_t size) {
    const std::size_t rounded = (size + kAlignment - 1) / kAlignment * kAlignment;
    if (rounded >= size && rounded <= kBlockBytes - used_) {
      if (block_ == nullptr)
        block_.reset(static_cast<char*>(std::aligned_alloc(kAlignment, kBlockBytes)));
      if (block_ != nullptr) {
        void* taken = block_.get() + used_;
        used_ += rounded;
        return taken;
      }
    }
    return std::malloc(size);
  }

  bool Holds(const void* address) const {
    const auto* byte = static_cast<const char*>(address);
    return block_ != nullptr && byte >= block_.get() && byte < block_.get() + kBlockBytes;
  }

  struct FreeBlock {
    void operator()(char* block) const { std::free(block); }
  };
  std::unique_ptr<char, FreeBlock> block_;
  std::size_t used_ = 0;
};

// The smallest window that holds the whole reply: a listing page needs a few
// kilobytes of encoder state instead of the megabytes a full window takes.
int BrotliWindowBits(std::size_t size) {
  int bits = kBrotliMinWindowBits;
  while (bits < kBrotliMaxWindowBits && (std::size_t{1} << bits) - 16 < size) ++bits;
  return bits;
}

// As BrotliEncoderCompress() does it, byte for byte (its settings, then one
// call that finishes the stream), but with the encoder's memory from the
// thread's arena.
bool EncodeWithArena(std::string_view in, int quality, int window_bits, std::string& out,
                     std::size_t& size) {
  EncoderArena& arena = EncoderArena::OfThread();
  arena.Reset();
  BrotliEncoderState* const encoder =
      BrotliEncoderCreateInstance(&EncoderArena::Allocate, &EncoderArena::Free, &arena);
  if (encoder == nullptr) return false;
  BrotliEncoderSetParameter(encoder, BROTLI_PARAM_QUALITY, static_cast<std::uint32_t>(quality));
  BrotliEncoderSetParameter(encoder, BROTLI_PARAM_LGWIN, static_cast<std::uint32_t>(window_bits));
  BrotliEncoderSetParameter(encoder, BROTLI_PARAM_MODE, BROTLI_MODE_TEXT);
  std::size_t available_in = in.size();
  const auto* next_in = reinterpret_cast<const std::uint8_t*>(in.data());
  std::size_t available_out = out.size();
  auto* next_out = reinterpret_cast<std::uint8_t*>(out.data());
  std::size_t total_out = 0;
  const bool done =
      BrotliEncoderCompressStream(encoder, BROTLI_OPERATION_FINISH, &available_in, &next_in,
                                  &available_out, &next_out, &total_out) == BROTLI_TRUE &&
      BrotliEncoderIsFinished(encoder) == BROTLI_TRUE;
  BrotliEncoderDestroyInstance(encoder);
  size = total_out;
  return done && total_out <= out.size();
}

std::string CompressBrotli(std::string_view in, int quality, std::string& scratch) {
  std::size_t size = BrotliEncoderMaxCompressedSize(in.size());
  if (size == 0) throw std::runtime_error("too large");
  scratch.resize(size);
  const int window_bits = BrotliWindowBits(in.size());
  if (in.empty() || !EncodeWithArena(in, quality, window_bits, scratch, size)) {
    // The library's own one-shot call, with its answers for empty input and
    // for a stream that would not fit.
    size = scratch.size();
    if (BrotliEncoderCompress(quality, window_bits, BROTLI_MODE_TEXT, in.size(),
                              reinterpret_cast<const std::uint8_t*>(in.data()), &size,
                              reinterpret_cast<std::uint8_t*>(scratch.data())) != BROTLI_TRUE) {
      throw std::runtime_error("brotli failed");
    }
  }
  return scratch.substr(0, size);
}

}  // namespace

std::string Compress(ContentCoding coding, std::string_view identity, CompressionEffort effort) {
  const bool quick = effort == CompressionEffort::kQuick;
  std::string& scratch = ScratchOutput();
  std::string out;
  switch (coding) {
    case ContentCoding::kGzip:
      out = GzipStreamOf(quick).Compress(identity, scratch);
      break;
    case ContentCoding::kBrotli:
      out = CompressBrotli(identity, quick ? kBrotliQuickQuality : kBrotliQuality, scratch);
      break;
    case ContentCoding::kIdentity:
      return std::string(identity);
  }
  LetGoIfLarge(scratch);
  return out;
}

}  // namespace quorvel::service
