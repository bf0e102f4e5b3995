#pragma once

// The listing service as the client sees it: the four kinds of page load, the
// list's columns, and what each kind writes where.

#include <array>
#include <span>
#include <string_view>

#include "client/catalogue/components.h"
#include "protocol/wire_format.h"

namespace quorvel::catalogue {

enum class LoadKind { kStartUp, kCategory, kSearch, kPaging };

// Column 0 holds the row text; 4 and 5 start at width 0 and only paging fills
// both of them.
struct ListColumn {
  std::u16string_view caption;
  int width;
};
inline constexpr std::array<ListColumn, 6> kListColumns = {{
    {u"外挂分类", 90},
    {u"外挂标题", 233},
    {u"授权方式", 90},
    {u"更新时间", 140},
    {u"下载地址", 0},
    {u"id", 0},
}};

// Field numbers of a record.
inline constexpr int kCategoryField = 0;
inline constexpr int kDownloadLinksField = 4;
inline constexpr int kEntryIdField = 5;
using protocol::kRecordFieldCount;

// What one kind of load writes after the row text.
struct LoadKindRules {
  std::span<const int> cell_columns;  // in the order they are set
  // The DownloadLinks field goes to List3 right after this column's cell.
  int list3_after_column;
  std::u16string_view counter_prefix;
  std::u16string_view counter_suffix;  // empty for category: each button has its own
};

const LoadKindRules& RulesFor(LoadKind kind);

// The start-up preparation of the list: PrepareView, the six columns in
// order, then the display settings.
void PrepareListColumns(ListView& list);

}  // namespace quorvel::catalogue
