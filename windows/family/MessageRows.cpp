#include "windows/family/MessageRows.h"

#include <QListWidget>

#include <algorithm>

#include "system/CodePage.h"

namespace mailvane {

void MessageRows::clear() {
  Msglist = MSLIve();
  list_->clear();
}

void MessageRows::addRows(const std::vector<std::pair<std::string, std::string>>& rows) {
  QStringList texts;
  texts.reserve(static_cast<qsizetype>(rows.size()));
  for (const auto& [subject, liveFileID] : rows) {
    std::string shown = shownSubject(subject);
    texts.push_back(rowText(shown));
    Msglist.Add(std::make_shared<MSlivemsgs>(MSlivemsgs{liveFileID, std::move(shown)}));
  }
  list_->addItems(texts);
}

std::shared_ptr<MSlivemsgs> MessageRows::recordForRow(int row) const {
  const QListWidgetItem* item = list_->item(row);
  auto record = Msglist.item(row + 1);
  if (!item || !record || rowText(record->Subject) != item->text()) return nullptr;
  return record;
}

std::vector<MessageRows::Row> MessageRows::snapshot() const {
  std::vector<Row> rows;
  rows.reserve(static_cast<size_t>(count()));
  for (int row = 0; row < count(); ++row) {
    const QListWidgetItem* item = list_->item(row);
    rows.push_back(Row{recordForRow(row), item && item->isSelected()});
  }
  return rows;
}

std::string MessageRows::shownSubject(std::string_view subject) {
  constexpr std::string_view kBreaks = "\t\n\v\f\r";
  constexpr std::string_view kBlanks = " \t\n\v\f\r";
  std::string line;
  line.reserve(subject.size());
  for (size_t at = 0; at < subject.size();) {
    const size_t end = std::min(subject.find_first_not_of(kBlanks, at), subject.size());
    if (end == at) {
      const size_t blank = std::min(subject.find_first_of(kBlanks, at), subject.size());
      line += subject.substr(at, blank - at);
      at = blank;
      continue;
    }
    // A run of blanks: kept as it is, unless a line break or tab makes it one space.
    const std::string_view run = subject.substr(at, end - at);
    line += run.find_first_of(kBreaks) == std::string_view::npos ? run : std::string_view(" ");
    at = end;
  }
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return line.substr(first, line.find_last_not_of(' ') - first + 1);
}

QString MessageRows::rowText(const std::string& subject) {
  return QString::fromStdString(system::toUtf8(subject));
}

bool MessageRows::isReply(const std::string& subject) {
  return system::toLowerCp(subject).find(':') == 2;
}

}  // namespace mailvane
