// What a client sends to choose a reply's coding and to ask whether its copy
// is still good, and the compression of whatever a reply holds.  The three
// header values come from the input, split at line ends; the input itself is
// compressed both ways and must decode to exactly itself.
#include <brotli/decode.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "service/http/compression.h"
#include "service/http/conditional_reply.h"
#include "service/http/content_coding.h"
#include "service/http/http_date.h"

namespace {

using quorvel::service::ContentCoding;

std::string Gunzip(const std::string& in, std::size_t size) {
  std::string out(size + 1, '\0');
  z_stream stream{};
  if (inflateInit2(&stream, 15 + 16) != Z_OK) std::abort();
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
  stream.avail_in = static_cast<uInt>(in.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  if (inflate(&stream, Z_FINISH) != Z_STREAM_END) std::abort();
  out.resize(stream.total_out);
  inflateEnd(&stream);
  return out;
}

std::string Unbrotli(const std::string& in, std::size_t size) {
  std::string out(size + 1, '\0');
  std::size_t decoded = out.size();
  if (BrotliDecoderDecompress(in.size(), reinterpret_cast<const std::uint8_t*>(in.data()),
                              &decoded, reinterpret_cast<std::uint8_t*>(out.data())) !=
      BROTLI_DECODER_RESULT_SUCCESS) {
    std::abort();
  }
  out.resize(decoded);
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string input(reinterpret_cast<const char*>(data), size);
  std::string headers[3];
  std::size_t from = 0;
  for (std::string& header : headers) {
    const std::size_t end = std::min(input.find('\n', from), input.size());
    if (from <= input.size()) header = input.substr(from, end - from);
    from = end + 1;
  }

  const ContentCoding coding = quorvel::service::ChooseCoding(headers[0].c_str());
  if (coding != ContentCoding::kIdentity && coding != ContentCoding::kGzip &&
      coding != ContentCoding::kBrotli) {
    std::abort();
  }

  const std::string tag = quorvel::service::ConditionalReply::EntityTag("id", "subject", coding);
  const auto since = quorvel::service::ParseHttpDate(headers[2]);
  quorvel::service::ConditionalReply::NotModified(headers[1].c_str(), headers[2].c_str(), tag,
                                                  since);
  if (since) {
    // A date that can be read is written back as one that reads the same.
    const std::string written = quorvel::service::FormatHttpDate(*since);
    if (quorvel::service::ParseHttpDate(written) != since) std::abort();
  }

  if (Gunzip(quorvel::service::Compress(ContentCoding::kGzip, input), size) != input) {
    std::abort();
  }
  if (Unbrotli(quorvel::service::Compress(ContentCoding::kBrotli, input), size) != input) {
    std::abort();
  }
  return 0;
}
