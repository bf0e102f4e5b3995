#include "client/catalogue/win32/win32_list_view.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace quorvel::catalogue {
namespace {

// Posted to the list itself: the rows added since the last commit are shown.
constexpr UINT kCommitMessage = WM_APP + 0x51;
constexpr UINT_PTR kSubclassId = 0x5156;  // "QV"

const wchar_t* Wide(std::u16string_view text) {
  return reinterpret_cast<const wchar_t*>(text.data());
}

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI); }

}  // namespace

Win32ListView::Win32ListView(HWND parent, int id, int dpi) : parent_(parent), dpi_(dpi) {
  // Columns sort nothing and the control keeps no rows of its own (owner data).
  // The columns fill the list's width exactly as drawn, so it has no border.
  list_ = CreateWindowExW(0, WC_LISTVIEWW, L"",
                          WS_CHILD | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT | LVS_OWNERDATA |
                              LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOSORTHEADER,
                          0, 0, 0, 0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                          GetModuleHandleW(nullptr), nullptr);
  if (list_ == nullptr) return;
  SetWindowSubclass(list_, &Win32ListView::ListProc, kSubclassId,
                    reinterpret_cast<DWORD_PTR>(this));
  SetWindowSubclass(parent_, &Win32ListView::ParentProc, reinterpret_cast<UINT_PTR>(this),
                    reinterpret_cast<DWORD_PTR>(this));
}

Win32ListView::~Win32ListView() {
  if (list_ == nullptr) return;
  RemoveWindowSubclass(parent_, &Win32ListView::ParentProc, reinterpret_cast<UINT_PTR>(this));
  RemoveWindowSubclass(list_, &Win32ListView::ListProc, kSubclassId);
  if (IsWindow(list_)) DestroyWindow(list_);
}

void Win32ListView::PrepareView() {
  ClearRows();
  ListView_SetItemState(list_, -1, 0, LVIS_SELECTED | LVIS_FOCUSED);
}

void Win32ListView::AddColumn(int position, std::u16string_view caption, int width) {
  std::u16string text(caption);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  column.pszText = const_cast<wchar_t*>(Wide(text));
  column.cx = Scaled(std::max(0, width), dpi_);
  column.iSubItem = std::clamp(position, 0, columns_);
  if (ListView_InsertColumn(list_, column.iSubItem, &column) < 0) return;
  const int old_stride = stride_;
  // A table without columns already keeps each row's text in its one cell.
  const bool first_column = columns_ == 0;
  ++columns_;
  stride_ = columns_;
  if (first_column || stored_rows_ == 0) {
    cells_.resize(static_cast<std::size_t>(stored_rows_) * stride_);
    return;
  }
  std::vector<Span> cells(static_cast<std::size_t>(stored_rows_) * stride_);
  for (std::size_t r = 0; r < static_cast<std::size_t>(stored_rows_); ++r) {
    for (int c = 0, target = 0; c < old_stride; ++c, ++target) {
      if (target == column.iSubItem) ++target;
      cells[r * stride_ + target] = cells_[r * old_stride + c];
    }
  }
  cells_ = std::move(cells);
  cells_changed_ = true;
  ScheduleCommit();
}

void Win32ListView::ApplyDisplaySettings() {
  // Rows under the column headers, chosen whole, with grid lines, on white.
  // No tips of its own on cut-off cells: the list has a tooltip of its own.
  SetWindowLongPtrW(list_, GWL_STYLE, GetWindowLongPtrW(list_, GWL_STYLE) & ~LVS_NOCOLUMNHEADER);
  const DWORD extended = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_DOUBLEBUFFER;
  ListView_SetExtendedListViewStyleEx(list_, extended, extended);
  ListView_SetBkColor(list_, RGB(0xFF, 0xFF, 0xFF));
  ListView_SetTextBkColor(list_, RGB(0xFF, 0xFF, 0xFF));
}

void Win32ListView::ClearRows() {
  characters_.clear();
  cells_.clear();
  stored_rows_ = 0;
  cells_changed_ = false;
  if (committed_rows_ > 0 || ListView_GetItemCount(list_) > 0) {
    committed_rows_ = 0;
    ListView_DeleteAllItems(list_);
  }
}

void Win32ListView::AddRow(int index, std::u16string_view text) {
  if (index < 0 || index > stored_rows_ || stored_rows_ == std::numeric_limits<int>::max()) return;
  const Span span = Store(text);
  const auto stride = static_cast<std::size_t>(stride_);
  if (index == stored_rows_) {
    cells_.resize(cells_.size() + stride);
  } else {
    // Inside the table: every row from there on moves down one.
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(index * stride), stride, Span{});
    cells_changed_ = true;
  }
  cells_[static_cast<std::size_t>(index) * stride] = span;
  ++stored_rows_;
  ScheduleCommit();
}

void Win32ListView::SetCell(int row, int column, std::u16string_view text) {
  if (row < 0 || row >= stored_rows_ || column < 0 || column >= stride_) return;
  const Span span = Store(text);
  cells_[static_cast<std::size_t>(row) * stride_ + column] = span;
  if (row < committed_rows_) {
    cells_changed_ = true;
    ScheduleCommit();
  }
}

std::u16string_view Win32ListView::CellText(int row, int column) const {
  if (row < 0 || row >= stored_rows_ || column < 0 || column >= stride_) return {};
  const Span span = cells_[static_cast<std::size_t>(row) * stride_ + column];
  return {characters_.data() + span.offset, span.length};
}

void Win32ListView::CommitRows() {
  if (committed_rows_ != stored_rows_) {
    committed_rows_ = stored_rows_;
    ListView_SetItemCountEx(list_, committed_rows_, LVSICF_NOSCROLL);
  }
  if (cells_changed_) {
    cells_changed_ = false;
    InvalidateRect(list_, nullptr, FALSE);
  }
}

void Win32ListView::SetDpi(int dpi) {
  if (dpi <= 0 || dpi == dpi_) return;
  for (int c = 0; c < columns_; ++c) {
    ListView_SetColumnWidth(list_, c, MulDiv(ListView_GetColumnWidth(list_, c), dpi, dpi_));
  }
  dpi_ = dpi;
}

Win32ListView::Span Win32ListView::Store(std::u16string_view text) {
  // Offsets are 32-bit: a page past 4 G characters keeps its cells empty.
  constexpr std::size_t kLimit = std::numeric_limits<std::uint32_t>::max();
  if (text.size() > kLimit - characters_.size()) return {};
  const Span span{static_cast<std::uint32_t>(characters_.size()),
                  static_cast<std::uint32_t>(text.size())};
  characters_.insert(characters_.end(), text.begin(), text.end());
  return span;
}

void Win32ListView::ScheduleCommit() {
  // One notice to the control per fill, however many rows it brings.
  if (commit_posted_) return;
  commit_posted_ = PostMessageW(list_, kCommitMessage, 0, 0) != FALSE;
  if (!commit_posted_) CommitRows();
}

void Win32ListView::Raise(int row) {
  if (handler_) handler_(row);
}

int Win32ListView::RowAt(LPARAM point) const {
  LVHITTESTINFO hit{};
  hit.pt = {GET_X_LPARAM(point), GET_Y_LPARAM(point)};
  const int row = ListView_SubItemHitTest(list_, &hit);
  return (hit.flags & LVHT_ONITEM) != 0 && row < committed_rows_ ? row : -1;
}

LRESULT CALLBACK Win32ListView::ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                         UINT_PTR, DWORD_PTR self) {
  if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &Win32ListView::ListProc, kSubclassId);
    return DefSubclassProc(window, message, wparam, lparam);
  }
  return reinterpret_cast<Win32ListView*>(self)->OnListMessage(message, wparam, lparam);
}

LRESULT Win32ListView::OnListMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kCommitMessage:
      commit_posted_ = false;
      CommitRows();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return OnMousePress(message, wparam, lparam);
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_KEYDOWN:
    case WM_CHAR: {
      // A row the user moves to with the keys or by typing its first letters.
      ++user_input_depth_;
      const LRESULT result = DefSubclassProc(list_, message, wparam, lparam);
      --user_input_depth_;
      return result;
    }
    default:
      return DefSubclassProc(list_, message, wparam, lparam);
  }
}

LRESULT Win32ListView::OnMousePress(UINT message, WPARAM wparam, LPARAM lparam) {
  // The control's press runs until the button is let go; a row it makes
  // current meanwhile is chosen there.  A click on the row already current
  // changes nothing in the control, yet chooses it all the same.
  CommitRows();
  const int pressed = RowAt(lparam);
  chosen_during_press_ = false;
  ++user_input_depth_;
  const LRESULT result = DefSubclassProc(list_, message, wparam, lparam);
  --user_input_depth_;
  if (message == WM_LBUTTONDOWN && !chosen_during_press_ && pressed >= 0 &&
      pressed < committed_rows_) {
    Raise(pressed);
  }
  return result;
}

LRESULT CALLBACK Win32ListView::ParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                           UINT_PTR, DWORD_PTR self) {
  auto* view = reinterpret_cast<Win32ListView*>(self);
  if (message == WM_NOTIFY) {
    const auto* header = reinterpret_cast<const NMHDR*>(lparam);
    if (header != nullptr && header->hwndFrom == view->list_) {
      bool handled = false;
      const LRESULT result = view->OnNotify(*header, &handled);
      if (handled) return result;
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, &Win32ListView::ParentProc, reinterpret_cast<UINT_PTR>(view));
  }
  return DefSubclassProc(window, message, wparam, lparam);
}

LRESULT Win32ListView::OnNotify(const NMHDR& header, bool* handled) {
  switch (header.code) {
    case LVN_GETDISPINFOW: {
      LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header))->item;
      if ((item.mask & LVIF_TEXT) != 0 && item.pszText != nullptr && item.cchTextMax > 0) {
        // A cell wider than the buffer shows its start: no column is that wide.
        const std::u16string_view text = CellText(item.iItem, item.iSubItem);
        const std::size_t count = std::min<std::size_t>(text.size(), item.cchTextMax - 1);
        std::copy_n(text.data(), count, reinterpret_cast<char16_t*>(item.pszText));
        item.pszText[count] = L'\0';
      }
      *handled = true;
      return 0;
    }
    case LVN_ODFINDITEMW:
      *handled = true;
      return FindRow(*reinterpret_cast<const NMLVFINDITEMW*>(&header));
    case LVN_ITEMCHANGED: {
      const auto& change = *reinterpret_cast<const NMLISTVIEW*>(&header);
      const bool now_current =
          (change.uNewState & LVIS_FOCUSED) != 0 && (change.uOldState & LVIS_FOCUSED) == 0;
      if (now_current && change.iItem >= 0 && user_input_depth_ > 0) {
        chosen_during_press_ = true;
        Raise(change.iItem);
      }
      return 0;
    }
    default:
      return 0;
  }
}

int Win32ListView::FindRow(const NMLVFINDITEMW& find) const {
  // Typing a row's first letters: the next row from the start given whose
  // first column begins with them, letter case aside.
  if ((find.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) == 0 || find.lvfi.psz == nullptr ||
      committed_rows_ == 0) {
    return -1;
  }
  const std::u16string_view typed(reinterpret_cast<const char16_t*>(find.lvfi.psz));
  const int start = std::clamp(find.iStart, 0, committed_rows_);
  for (int i = 0; i < committed_rows_; ++i) {
    const int row = (start + i) % committed_rows_;
    const std::u16string_view text = CellText(row, 0);
    const bool match = (find.lvfi.flags & LVFI_PARTIAL) != 0 ? text.size() >= typed.size()
                                                             : text.size() == typed.size();
    if (match && CompareStringOrdinal(Wide(text), static_cast<int>(typed.size()), Wide(typed),
                                      static_cast<int>(typed.size()), TRUE) == CSTR_EQUAL) {
      return row;
    }
  }
  return -1;
}

}  // namespace quorvel::catalogue
