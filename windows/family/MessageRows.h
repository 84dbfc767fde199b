#pragma once
// The message list of a window: the rows of List1 and the records of Msglist kept in
// step, row i (from 0) belonging to record i + 1. A record is only used when its Subject
// still equals the text of its row, so a list that changed under a command is never
// mistaken for another message.

#include <QString>

#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/Records.h"

class QListWidget;

namespace mailvane {

class MessageRows {
 public:
  // One row as a walk sees it when it starts.
  struct Row {
    std::shared_ptr<MSlivemsgs> record;  // null when the row's text differs from it
    bool selected = false;
  };

  explicit MessageRows(QListWidget* list) : list_(list) {}

  // A new empty Msglist and an empty List1.
  void clear();
  // Adds rows in one go (subject, LiveFileID), as a list fill gathers them between two
  // yields: one insertion into List1 instead of one per row.
  void addRows(const std::vector<std::pair<std::string, std::string>>& rows);

  int count() const { return Msglist.Count(); }
  // Record of row (from 0), or null when the row is missing or its text differs.
  std::shared_ptr<MSlivemsgs> recordForRow(int row) const;
  // Every record with its row's selection, in list order; walks iterate this copy, so a
  // list refilled while they yield cannot change what they write.
  std::vector<Row> snapshot() const;

  // A subject as the list shows it and its record keeps it: on one line (the line breaks
  // and tabs of a folded or broken field become one space) and trimmed.
  static std::string shownSubject(std::string_view subject);
  // The row text of a shown subject.
  static QString rowText(const std::string& subject);
  // A reply or forward: the first ":" of the lower-cased subject is its third character
  // (Re:, Sv:, Aw:, Fw:).
  static bool isReply(const std::string& subject);

  MSLIve Msglist;

 private:
  QListWidget* list_;
};

}  // namespace mailvane
