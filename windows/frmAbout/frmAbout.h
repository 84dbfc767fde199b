#pragma once
// The About box: title, version, a short description, three links (web site, e-mail,
// home page) and a button that starts the desktop's system information program.

#include <QDialog>
#include <QUrl>

#include <array>
#include <functional>

class QLabel;

namespace mailvane {

class frmAbout : public QDialog {
  Q_OBJECT

 public:
  using ProgramStarter = std::function<bool(const QString& program)>;

  explicit frmAbout(QWidget* parent = nullptr);

  static QUrl webSite();
  static QUrl mailAddress();
  static QUrl homePage();
  // "Version major.minor.revision" of this build.
  static QString versionCaption();

  // Replaces how the system information program is started (tests record it instead).
  void setProgramStarter(ProgramStarter starter) { startProgram_ = std::move(starter); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private slots:
  void cmdOK_Click();
  void cmdSysInfo_Click();

 private:
  void buildLayout();
  QLabel* makeLink(const char* name, const QString& caption, const QUrl& target);
  // Bold and underlined for the link under the mouse, plain for the others.
  void emphasise(const QLabel* hovered);
  void StartSysInfo();

  std::array<QLabel*, 3> links_{};
  ProgramStarter startProgram_;
};

}  // namespace mailvane
