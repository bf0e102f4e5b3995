#include "listing_bodies.h"

#include <QRegularExpression>

namespace quorvel::soak {

void AppendRecords(std::string& body, int page, int first, int last, BodyFlavour flavour) {
  const bool broken = flavour == BodyFlavour::kInvalidUtf8;
  const std::string p = std::to_string(page);
  for (int i = first; i < last; ++i) {
    const std::string r = std::to_string(i);
    // Category: a stray continuation byte and an overlong NUL.
    body += broken ? "\xBF\xC0\x80分类" : "分类";
    body += std::to_string(i % 7);
    body += '\x02';
    body += "p" + p + "r" + r + " 外挂";
    body += '\x02';
    // Licence: an encoded surrogate, then a sequence cut short by the separator.
    body += broken ? "\xED\xA0\x80免费\xE4\xB8" : "免费";
    body += '\x02';
    body += broken ? "2024-06-0\xFF\xFE" : "2024-06-0";
    body += std::to_string(i % 9 + 1);
    body += '\x02';
    body += "官方下载/*/http://dl.test/p" + p + "/" + r + ".zip/**/镜像/*/javascript:alert(" + r +
            ")/**/";
    body += '\x02';
    body += p + "-" + r;
    body += '\x01';
  }
}

void AppendTrailer(std::string& body, int rows) {
  body += "?TtbBa?" + std::to_string(rows) + "?" + std::to_string(kPageCount);
}

std::string ListingBody(int page, int rows, BodyFlavour flavour) {
  std::string body;
  body.reserve(static_cast<std::size_t>(rows) * 128 + 32);
  AppendRecords(body, page, 0, rows, flavour);
  if (flavour != BodyFlavour::kNoTrailer) AppendTrailer(body, rows);
  return body;
}

bool ParseTitle(const QString& title, int* page, int* row) {
  static const QRegularExpression pattern(QStringLiteral("^p(\\d+)r(\\d+) "));
  const QRegularExpressionMatch match = pattern.match(title);
  if (!match.hasMatch()) return false;
  *page = match.captured(1).toInt();
  *row = match.captured(2).toInt();
  return true;
}

QString OpenableAddress(int page, int row) {
  return QStringLiteral("http://dl.test/p%1/%2.zip").arg(page).arg(row);
}

}  // namespace quorvel::soak
