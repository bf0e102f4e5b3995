#include "service/store/page_reply.h"

#include "protocol/listing_reply_writer.h"
#include "service/store/row_store.h"

namespace quorvel::service {

std::string BuildListingReply(const RowStore& store, std::span<const std::size_t> rows,
                              std::int64_t matches, std::int64_t pages, std::string_view origin) {
  std::size_t expected = protocol::kTrailerBytesBound;
  for (const std::size_t row : rows) expected += store.RecordSizeBound(row, origin);
  std::string out;
  out.reserve(expected);
  for (const std::size_t row : rows) store.AppendRecord(row, origin, out);
  protocol::AppendTrailer(matches, pages, out);
  return out;
}

}  // namespace quorvel::service
