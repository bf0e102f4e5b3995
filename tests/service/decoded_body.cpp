#include "decoded_body.h"

#include <brotli/decode.h>
#include <zlib.h>

#include <cstdint>

namespace quorvel::service {
namespace {

constexpr std::size_t kMaxDecodedBytes = std::size_t{1} << 20;

std::optional<std::string> Gunzip(const std::string& in) {
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) return std::nullopt;
  std::string out(kMaxDecodedBytes, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  const int result = inflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return result == Z_STREAM_END && stream.avail_in == 0 ? std::optional(out) : std::nullopt;
}

std::optional<std::string> Unbrotli(const std::string& in) {
  std::string out(kMaxDecodedBytes, '\0');
  std::size_t size = out.size();
  if (BrotliDecoderDecompress(in.size(), reinterpret_cast<const std::uint8_t*>(in.data()), &size,
                              reinterpret_cast<std::uint8_t*>(out.data())) !=
      BROTLI_DECODER_RESULT_SUCCESS) {
    return std::nullopt;
  }
  out.resize(size);
  return out;
}

}  // namespace

std::optional<std::string> Decoded(const testing::HttpReply& reply) {
  const std::string coding = reply.Header("Content-Encoding");
  if (coding.empty()) return reply.body;
  if (coding == "gzip") return Gunzip(reply.body);
  if (coding == "br") return Unbrotli(reply.body);
  return std::nullopt;
}

}  // namespace quorvel::service
