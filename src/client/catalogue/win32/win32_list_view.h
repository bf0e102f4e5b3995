#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "client/catalogue/components.h"

namespace quorvel::catalogue {

// The catalogue list on the common controls' ListView (version 6, with the
// visual styles), in report mode.  The list is virtual: the control keeps no
// rows, it asks for each cell as it paints, and every cell's text lives here in
// one buffer, so a page of 100,000 rows costs a handful of allocations.
//
// RowChosen is raised when the user picks a row with the mouse (also the row
// already current) or moves to one with the keyboard; moves the program makes
// itself raise nothing.
//
// Widths are given in pixels at 96 dots an inch and shown at the list's own
// resolution, which its window tells it (SetDpi).
class Win32ListView final : public ListView {
 public:
  // Makes the list as a child of `parent` with the control id `id`, hidden
  // until placed; `dpi` is the parent's resolution.
  Win32ListView(HWND parent, int id, int dpi);
  ~Win32ListView() override;
  Win32ListView(const Win32ListView&) = delete;
  Win32ListView& operator=(const Win32ListView&) = delete;

  HWND hwnd() const { return list_; }

  void PrepareView() override;
  void AddColumn(int position, std::u16string_view caption, int width) override;
  void ApplyDisplaySettings() override;
  void ClearRows() override;
  int RowCount() const override { return stored_rows_; }
  void AddRow(int index, std::u16string_view text) override;
  void SetCell(int row, int column, std::u16string_view text) override;
  void SetRowChosenHandler(RowChosenHandler handler) override { handler_ = std::move(handler); }

  // The whole text of a cell; empty outside the table.
  std::u16string_view CellText(int row, int column) const;
  // Tells the control of the rows added so far now instead of when its
  // thread next handles its messages.
  void CommitRows();
  // The list moved to a screen of another resolution: every column keeps its
  // share, also one the user widened.
  void SetDpi(int dpi);

 private:
  struct Span {
    std::uint32_t offset = 0;
    std::uint32_t length = 0;
  };

  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                   UINT_PTR id, DWORD_PTR self);
  static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam,
                                     UINT_PTR id, DWORD_PTR self);
  LRESULT OnListMessage(UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnNotify(const NMHDR& header, bool* handled);
  LRESULT OnMousePress(UINT message, WPARAM wparam, LPARAM lparam);
  int FindRow(const NMLVFINDITEMW& find) const;
  int RowAt(LPARAM point) const;

  Span Store(std::u16string_view text);
  void ScheduleCommit();
  void Raise(int row);

  HWND parent_;
  HWND list_;
  int dpi_;
  int columns_ = 0;
  int stride_ = 1;  // cells a row: the column count, at least one
  std::vector<char16_t> characters_;
  std::vector<Span> cells_;  // row by row, stride_ cells each
  int stored_rows_ = 0;
  int committed_rows_ = 0;
  bool cells_changed_ = false;
  bool commit_posted_ = false;

  RowChosenHandler handler_;
  // While the user's own input is handled: a row that becomes current then
  // is the user's choice.
  int user_input_depth_ = 0;
  bool chosen_during_press_ = false;
};

}  // namespace quorvel::catalogue
