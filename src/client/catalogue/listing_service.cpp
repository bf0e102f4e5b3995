#include "client/catalogue/listing_service.h"

#include "client/catalogue/category_table.h"

namespace quorvel::catalogue {
namespace {

constexpr std::array<int, 4> kStartUpCells = {1, 2, 3, 5};
constexpr std::array<int, 3> kFilteredCells = {1, 2, 3};
constexpr std::array<int, 5> kPagingCells = {1, 2, 3, 4, 5};

constexpr LoadKindRules kStartUpRules{kStartUpCells, 3, u"Quorvel共有 ", u" 个外挂"};
constexpr LoadKindRules kCategoryRules{kFilteredCells, 3, kCategoryCounterPrefix, u""};
constexpr LoadKindRules kSearchRules{kFilteredCells, 3, u"搜索到 ", u" 结果"};
constexpr LoadKindRules kPagingRules{kPagingCells, 5, u"当页共有 ", u" 外挂"};

}  // namespace

const LoadKindRules& RulesFor(LoadKind kind) {
  switch (kind) {
    case LoadKind::kStartUp:
      return kStartUpRules;
    case LoadKind::kCategory:
      return kCategoryRules;
    case LoadKind::kSearch:
      return kSearchRules;
    case LoadKind::kPaging:
      return kPagingRules;
  }
  return kPagingRules;
}

void PrepareListColumns(ListView& list) {
  list.PrepareView();
  for (std::size_t i = 0; i < kListColumns.size(); ++i) {
    list.AddColumn(static_cast<int>(i), kListColumns[i].caption, kListColumns[i].width);
  }
  list.ApplyDisplaySettings();
}

}  // namespace quorvel::catalogue
