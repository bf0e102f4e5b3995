#pragma once

#include <QStringList>
#include <QStringView>

#include "catalogue/components.h"
#include "catalogue/listing_service.h"

namespace quorvel::catalogue {

// Clears `list` and `list3`, then adds one row per record of `text`: AddRow
// at RowCount with the Category field, SetCell for each column of the kind
// on row RowCount - 1 read back before every cell, and the DownloadLinks
// field appended to `list3` where the kind puts it.  A missing field is empty
// text, so `list3` always holds one line per row added.
//
// The texts handed to the list live only for the call: one scratch string
// is refilled for every cell so that a list which copies what it is given
// costs no allocation per cell.
void FillRows(QStringView text, LoadKind kind, ListView& list, QStringList& list3);

}  // namespace quorvel::catalogue
