#pragma once

#include <microhttpd.h>

#include <string>
#include <string_view>

#include "service/http/cacheable_replies.h"
#include "service/http/caching_options.h"
#include "service/http/served_request.h"

namespace quorvel::service {

class CatalogueStore;
class RequestLog;

// Which page a request asks for, and its reply: the listing script, the three
// web pages and the per-entry download pages; 404 for anything else.  Listings and pages go out as
// replies that caches can hold.  Safe from any thread.
class ServiceRoutes {
 public:
  ServiceRoutes(CatalogueStore& store, int page_size, const CachingOptions& caching,
                RequestLog& log);
  ~ServiceRoutes();
  ServiceRoutes(const ServiceRoutes&) = delete;
  ServiceRoutes& operator=(const ServiceRoutes&) = delete;

  // Where the service listens: the origin of its links when none is set and
  // the client's Host header cannot be trusted.  Set before serving starts.
  void SetListenAddress(const std::string& address, int port);

  // Answers `request`, whose head was found answerable, for `path` (the
  // address in origin form without its query, decoded).
  MHD_Result Route(MHD_Connection* connection, ServedRequest& request, std::string_view path);

  const CacheableReplies& replies() const { return replies_; }

 private:
  MHD_Result ServeListing(MHD_Connection* connection, ServedRequest& request);
  MHD_Result ServeDownload(MHD_Connection* connection, ServedRequest& request,
                           std::string_view entry_id);
  MHD_Result Page(MHD_Connection* connection, ServedRequest& request, std::string_view path,
                  std::string_view html);
  std::string Origin(MHD_Connection* connection) const;

  CatalogueStore& store_;
  const int page_size_;
  const std::string origin_;  // empty: from the Host header
  RequestLog& log_;
  CacheableReplies replies_;
  std::string address_;
  int port_ = -1;
};

}  // namespace quorvel::service
