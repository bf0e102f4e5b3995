#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

#include "reply_builder.h"

namespace quorvel::shell::testing {

// A listing reply as the service sends it, with the entry count and the page
// count in its trailer.
inline QByteArray ListingReply(const std::vector<QStringList>& records, const QString& count,
                               const QString& pages) {
  return catalogue::testing::Reply(records, count + QStringLiteral("?") + pages);
}

// Twenty short rows on one page.
inline QByteArray TwentyRowReply() {
  std::vector<QStringList> records;
  for (int i = 0; i < 20; ++i) {
    records.push_back({QStringLiteral("c%1").arg(i), QStringLiteral("t%1").arg(i), "free",
                       "2014-06-30 09:59:43", "", QString::number(i)});
  }
  return ListingReply(records, QStringLiteral("20"), QStringLiteral("1"));
}

}  // namespace quorvel::shell::testing
