// The recipient list of the e-mail setup dialog: a list view of name and address rows, sorted
// by a column with an arrow in its header, whose cells can be edited in place.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "mail/mailbox.h"
#include "mail/mail_setup_rules.h"

// The notification code the list's dialog gets (WM_COMMAND from the list) when an in-place
// edit has ended, stored or discarded.
constexpr UINT kCellEditEnded = 0x8001;

class CRecipientList {
 public:
  // Takes over the list view: full-row select, label tips, the two columns.
  void Attach(HWND list);
  // The list view.
  HWND Window() const { return list_; }

  // Shows recipients as rows, sorted, with the first row selected.
  void Show(const std::vector<Mailbox>& recipients);
  // The rows, in their order.
  std::vector<RecipientRow> Rows() const;
  // Appends a row and sorts again.
  void Append(const Mailbox& recipient);
  // Replaces both cells of a row.
  void SetRow(int row, const Mailbox& recipient);
  // Removes the selected rows, from the last to the first.
  void DeleteSelected();
  // The selected rows, in order.
  std::vector<int> SelectedRows() const;

  // A header click: stores an open in-place edit into the cell it was opened on, then sorts by
  // column, or reverses the order when it is the sort column already.
  void SortBy(int column);
  // Sorts by the sort column and direction, marks the column and puts the arrow in its header.
  void Sort();

  // Opens an editor over one cell, its text selected.
  void EditCell(int row, int column);
  // The open in-place editor, or null.
  static HWND CellEditor();
  // Ends an open in-place editor; store writes its text into the cell it was opened on.
  static void EndCellEditor(bool store);

 private:
  void ShowSortArrows();

  HWND list_ = nullptr;
  // The sort is the applet's: it stays as left from one opening of the dialog to the next.
  static int sortColumn_;
  static bool descending_;
};
