#pragma once
// The four pop-up menus of a message window, with their items under their given names.

#include <QObject>

class QAction;
class QMenu;
class QWidget;

namespace mailvane {

class PopupMenus : public QObject {
  Q_OBJECT

 public:
  explicit PopupMenus(QWidget* owner);

  // Right button on List1.
  QMenu* mnupopuplist;
  QMenu* mnucheckforsounds;
  QAction* mnuchecksound;
  QAction* mnupopuplists;
  QAction* mnucheckOnlinefont;
  QMenu* mnuExtract;
  QAction* mnuExtractAll;
  QAction* mnuExtractHtml;
  QAction* mnuExtracttxt;
  QAction* mnuExtractSoundsOnly;
  QAction* mnuExtractimg;  // kept hidden: it never had an action
  // Right button on an online sound in List2.
  QMenu* mnusound;
  QAction* mnuplay;
  QAction* mnustop;
  QAction* mnuCheckOnlineverify;
  QAction* MNUDOWLOAD;
  // Right button on an online font in List2.
  QMenu* Mnueot;
  QAction* mnudownloadeot;
  // Right button on the folder tree.
  QMenu* mnumicrosoft;
  QAction* mnugotoLive;
  QAction* mnugotoMail;

 private:
  QMenu* menu(QWidget* parent, const char* name, const char* caption);
  QAction* item(QMenu* menu, const char* name, const char* caption);
};

}  // namespace mailvane
