#include "windows/family/MessageRows.h"

#include <QListWidget>

#include "system/CodePage.h"

namespace mailvane {

void MessageRows::clear() {
  Msglist = MSLIve();
  list_->clear();
}

void MessageRows::add(const std::string& subject, const std::string& liveFileID) {
  list_->addItem(rowText(subject));
  Msglist.Add(std::make_shared<MSlivemsgs>(MSlivemsgs{liveFileID, subject}));
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

QString MessageRows::rowText(const std::string& subject) {
  return QString::fromStdString(system::toUtf8(subject));
}

bool MessageRows::isReply(const std::string& subject) {
  return system::toLowerCp(subject).find(':') == 2;
}

}  // namespace mailvane
