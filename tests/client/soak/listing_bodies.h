#pragma once

#include <QString>

#include <string>

namespace quorvel::soak {

enum class BodyFlavour {
  kWellFormed,
  kInvalidUtf8,  // malformed sequences in the category, licence and time cells
  kNoTrailer,    // the records only
};

// Pages the catalogue claims to have.
inline constexpr int kPageCount = 5;
// Rows of a whole page, and of the one page that holds very many.
inline constexpr int kRowsPerPage = 20;
inline constexpr int kManyRows = 40000;
// Names of every entry's two links: an address to open and one to refuse.
inline constexpr char16_t kOpenableLinkName[] = u"官方下载";
inline constexpr char16_t kRefusedLinkName[] = u"镜像";

// A listing reply of `rows` records for `page`.  Every title starts with
// "p<page>r<row>", so the list on show tells which page it came from.
std::string ListingBody(int page, int rows, BodyFlavour flavour);

// The same reply a piece at a time: records `first` to `last` - 1 of `page`,
// and the trailer that follows `rows` records.
void AppendRecords(std::string& body, int page, int first, int last, BodyFlavour flavour);
void AppendTrailer(std::string& body, int rows);

// The page and row a listed title was sent for; false for any other text.
bool ParseTitle(const QString& title, int* page, int* row);

// The address of the first link of `row` on `page`.
QString OpenableAddress(int page, int row);

}  // namespace quorvel::soak
