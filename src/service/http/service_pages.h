#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "service/store/catalogue_entry.h"

namespace quorvel::service {

// The web pages the client shows beside the catalogue.  All are UTF-8 HTML.

// The tip page the main window loads out of sight.
std::string_view TipPage();
// The notice shown in the strip along the bottom of the notice window.
std::string_view NoticePage();
// The partner site's home page: laid out wider and taller than the notice
// window's view of it, with its offer where that view falls.
std::string_view PartnerHomePage();
// The page a download link leads to: names the entry, or says there is none.
std::string DownloadPage(const std::optional<CatalogueEntry>& entry, std::string_view entry_id);

// Escapes text for HTML element content and attribute values.
std::string HtmlEscape(std::string_view text);

}  // namespace quorvel::service
