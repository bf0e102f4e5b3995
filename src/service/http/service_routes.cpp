#include "service/http/service_routes.h"

#include <algorithm>
#include <memory>
#include <optional>
#include <variant>

#include "protocol/listing_query_parser.h"
#include "protocol/listing_reply_writer.h"
#include "protocol/site_pages.h"
#include "protocol/wire_format.h"
#include "service/http/service_pages.h"
#include "service/store/catalogue_store.h"
#include "service/store/page_reply.h"
#include "service/store/row_store.h"
#include "service/store/sqlite_handle.h"

namespace quorvel::service {
namespace {

bool IsHostCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' ||
         c == '-' || c == ':' || c == '[' || c == ']';
}

bool IsPlausibleHost(std::string_view host) {
  if (host.empty() || host.size() > 255) return false;
  return std::all_of(host.begin(), host.end(), IsHostCharacter);
}

// Page, term, page size and the origin where the links carry it: all a
// listing reply depends on besides the catalogue.
std::string ListingSubject(const protocol::ListingQuery& query, int page_size,
                           std::string_view origin) {
  std::string subject = "listing\n";
  subject.append(std::to_string(query.page)).append("\n").append(std::to_string(page_size));
  subject.append("\n").append(origin).append("\n").append(query.term);
  return subject;
}

}  // namespace

ServiceRoutes::ServiceRoutes(CatalogueStore& store, int page_size, const CachingOptions& caching,
                             RequestLog& log)
    : store_(store), page_size_(page_size), origin_(caching.origin), log_(log), replies_(caching) {
  // A replaced catalogue's replies can never be served again: they go as soon
  // as the new one takes over, rather than when the cache needs the room.
  store_.SetTakeovers([this](const CatalogueIdentity* identity) {
    replies_.KeepOnlyCatalogue(identity != nullptr ? std::string_view(identity->tag) : "");
  });
}

ServiceRoutes::~ServiceRoutes() { store_.SetTakeovers(nullptr); }

void ServiceRoutes::SetListenAddress(const std::string& address, int port) {
  address_ = address;
  port_ = port;
}

MHD_Result ServiceRoutes::Route(MHD_Connection* connection, ServedRequest& request,
                                std::string_view path) {
  if (path == protocol::kListingPath) return ServeListing(connection, request);
  if (path == "/") return Page(connection, request, path, PartnerHomePage());
  if (path == protocol::kTipPagePath) return Page(connection, request, path, TipPage());
  if (path == protocol::kNoticePagePath) return Page(connection, request, path, NoticePage());
  if (path.starts_with(protocol::kDownloadPrefix) &&
      path.size() > protocol::kDownloadPrefix.size()) {
    return ServeDownload(connection, request, path.substr(protocol::kDownloadPrefix.size()));
  }
  return AnswerText(connection, request, 404, "no such page");
}

MHD_Result ServiceRoutes::ServeListing(MHD_Connection* connection, ServedRequest& request) {
  const std::size_t mark = request.target.find('?');
  const std::string_view raw_query = mark == std::string::npos
                                         ? std::string_view()
                                         : std::string_view(request.target).substr(mark + 1);
  const auto parsed = protocol::ParseListingQuery(raw_query);
  if (const auto* error = std::get_if<protocol::QueryError>(&parsed)) {
    return AnswerText(connection, request, 400, error->reason);
  }
  const protocol::ListingQuery& query = std::get<protocol::ListingQuery>(parsed);
  request.kind = RequestKind::kListing;
  try {
    // A reply kept ready is found before the rows are looked up, under the
    // request as it came: with the origin when any entry of the catalogue
    // may carry it (a page without such entries is then kept once for each
    // origin asked, all alike).
    const CatalogueStore::Taken catalogue = store_.Take();
    const std::string asked_origin = catalogue.takes_origin ? Origin(connection) : std::string();
    const std::string kept_as = ListingSubject(query, page_size_, asked_origin);
    CacheableReplies::Prepared ready =
        replies_.Ready(connection, catalogue.identity->tag, catalogue.replaced, kept_as);
    if (ready.reply != nullptr) return AnswerReady(connection, request, ready);

    const ListingRows page = store_.Rows(catalogue, query.term, query.page, page_size_);
    const bool takes_origin = std::any_of(page.rows.begin(), page.rows.end(), [&](std::size_t row) {
      return page.store->TakesOrigin(row);
    });
    const std::string origin = takes_origin ? asked_origin : std::string();
    ReplySubject subject{page.identity->tag,
                         page.identity->modified,
                         ListingSubject(query, page_size_, origin),
                         takes_origin && origin_.empty(),
                         kTextType,
                         page.replaced,
                         kept_as};
    return AnswerReady(connection, request, replies_.Prepare(connection, subject, [&] {
      return BuildListingReply(*page.store, page.rows, page.matches,
                               protocol::PageCount(page.matches, page_size_), origin);
    }));
  } catch (const StoreError& error) {
    return AnswerUnavailable(connection, &request, error.what(), log_);
  }
}

MHD_Result ServiceRoutes::ServeDownload(MHD_Connection* connection, ServedRequest& request,
                                        std::string_view entry_id) {
  request.kind = RequestKind::kDownload;
  try {
    // The entry and its tag come from the one catalogue it was looked up in.
    AnswerSource source;
    const std::optional<CatalogueEntry> entry = store_.FindEntry(entry_id, &source);
    if (!entry) {
      return AnswerBody(connection, request, 404, DownloadPage(entry, entry_id), kHtmlType);
    }
    ReplySubject subject{source.identity->tag,
                         source.identity->modified,
                         "download\n" + std::string(entry_id),
                         false,
                         kHtmlType,
                         source.replaced,
                         {}};
    return AnswerReady(connection, request, replies_.Prepare(connection, subject, [&] {
      return DownloadPage(entry, entry_id);
    }));
  } catch (const StoreError& error) {
    return AnswerUnavailable(connection, &request, error.what(), log_);
  }
}

MHD_Result ServiceRoutes::Page(MHD_Connection* connection, ServedRequest& request,
                               std::string_view path, std::string_view html) {
  request.kind = RequestKind::kPage;
  ReplySubject subject{{}, std::nullopt, std::string(path), false, kHtmlType, false, {}};
  return AnswerReady(connection, request,
                     replies_.Prepare(connection, subject, [html] { return std::string(html); }));
}

// "http://host[:port]" of this service as the client reached it, so links
// work through whatever name or forwarded port it used.  A Host header that
// is not a plain host name or address is not trusted into a reply.
std::string ServiceRoutes::Origin(MHD_Connection* connection) const {
  if (!origin_.empty()) return origin_;
  const char* host = MHD_lookup_connection_value(connection, MHD_HEADER_KIND, "Host");
  if (host != nullptr && IsPlausibleHost(host)) return "http://" + std::string(host);
  std::string address = address_;
  if (address == "0.0.0.0" || address == "::" || address.empty()) address = "127.0.0.1";
  if (address.find(':') != std::string::npos) address = "[" + address + "]";
  return "http://" + address + ":" + std::to_string(port_);
}

}  // namespace quorvel::service
