#include "windows/family/PopupMenus.h"

#include <QAction>
#include <QMenu>

namespace mailvane {

PopupMenus::PopupMenus(QWidget* owner) : QObject(owner) {
  mnupopuplist = menu(owner, "mnupopuplist", "List");
  mnucheckforsounds = menu(mnupopuplist, "mnucheckforsounds", "Check");
  mnupopuplist->addMenu(mnucheckforsounds);
  mnuchecksound = item(mnucheckforsounds, "mnuchecksound", "Check for Sound Files in Selected");
  mnupopuplists = item(mnucheckforsounds, "mnupopuplists", "Check for Online Sound in Selected");
  mnucheckOnlinefont =
      item(mnucheckforsounds, "mnucheckOnlinefont", "Check for Online Font in Selected");
  mnuExtract = menu(mnupopuplist, "mnuExtract", "Extract");
  mnupopuplist->addMenu(mnuExtract);
  mnuExtractAll = item(mnuExtract, "mnuExtractAll", "Extract All");
  mnuExtractHtml = item(mnuExtract, "mnuExtractHtml", "Extract Html only");
  mnuExtracttxt = item(mnuExtract, "mnuExtracttxt", "Extract plain text only");
  mnuExtractSoundsOnly = item(mnuExtract, "mnuExtractSoundsOnly", "Extract sounds only");
  mnuExtractimg = item(mnuExtract, "mnuExtractimg", "Extract images only");
  mnuExtractimg->setVisible(false);

  mnusound = menu(owner, "mnusound", "Sound");
  mnuplay = item(mnusound, "mnuplay", "Play");
  mnustop = item(mnusound, "mnustop", "Stop");
  mnuCheckOnlineverify =
      item(mnusound, "mnuCheckOnlineverify", "Check if all online sounds exist");
  mnuCheckOnlineverify->setVisible(false);
  MNUDOWLOAD = item(mnusound, "MNUDOWLOAD", "Download Selected");

  Mnueot = menu(owner, "Mnueot", "Font");
  mnudownloadeot = item(Mnueot, "mnudownloadeot", "Download Selected");

  mnumicrosoft = menu(owner, "mnumicrosoft", "Store");
  mnugotoLive = item(mnumicrosoft, "mnugotoLive", "Goto Windows Live Mail store folder");
  mnugotoMail = item(mnumicrosoft, "mnugotoMail", "Goto Windows Mail store folder");
}

QMenu* PopupMenus::menu(QWidget* parent, const char* name, const char* caption) {
  // A menu is a pop-up window of its own, so its parent only owns it.
  auto* menu = new QMenu(QString::fromLatin1(caption), parent);
  menu->setObjectName(QLatin1String(name));
  menu->menuAction()->setObjectName(QLatin1String(name));
  return menu;
}

QAction* PopupMenus::item(QMenu* menu, const char* name, const char* caption) {
  QAction* action = menu->addAction(QString::fromLatin1(caption));
  action->setObjectName(QLatin1String(name));
  return action;
}

}  // namespace mailvane
