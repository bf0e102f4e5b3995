#include "protocol/listing_reply_writer.h"

#include "protocol/wire_format.h"

namespace quorvel::protocol {
namespace {

bool IsServicePath(std::string_view address) {
  return address.size() >= 1 && address[0] == '/' && (address.size() == 1 || address[1] != '/');
}

}  // namespace

std::int64_t PageCount(std::int64_t matches, int page_size) {
  if (matches <= 0 || page_size <= 0) return 0;
  return (matches + page_size - 1) / page_size;
}

std::int64_t FirstIndexOfPage(std::int32_t page, int page_size) {
  return (static_cast<std::int64_t>(page) - 1) * page_size;
}

void FindOriginPlaces(std::string_view links, std::vector<std::uint32_t>& places) {
  std::size_t piece_start = 0;
  while (piece_start <= links.size()) {
    const std::size_t end = links.find(kLinkSeparator, piece_start);
    const std::size_t piece_end = end == std::string_view::npos ? links.size() : end;
    const std::string_view piece = links.substr(piece_start, piece_end - piece_start);
    const std::size_t name_end = piece.find(kLinkNameSeparator);
    if (name_end != std::string_view::npos &&
        IsServicePath(piece.substr(name_end + kLinkNameSeparator.size()))) {
      places.push_back(
          static_cast<std::uint32_t>(piece_start + name_end + kLinkNameSeparator.size()));
    }
    if (end == std::string_view::npos) break;
    piece_start = end + kLinkSeparator.size();
  }
}

std::string ResolveDownloadLinks(std::string_view links, std::string_view origin) {
  std::vector<std::uint32_t> places;
  FindOriginPlaces(links, places);
  std::string out;
  out.reserve(links.size() + places.size() * origin.size());
  std::size_t done = 0;
  for (const std::uint32_t place : places) {
    out.append(links.substr(done, place - done)).append(origin);
    done = place;
  }
  out.append(links.substr(done));
  return out;
}

void AppendTrailer(std::int64_t matches, std::int64_t pages, std::string& out) {
  out.append(kTrailerMarker);
  out.append(std::to_string(matches));
  out.append(kCountSeparator);
  out.append(std::to_string(pages));
}

}  // namespace quorvel::protocol
