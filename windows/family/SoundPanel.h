#pragma once
// The player panel of a message window (Psound1): the media player Wmp1 playing one
// sound of the parts list, a line that says what it plays and how far it is (or why it
// cannot play), and the close button Command17. Playing is the user's explicit request,
// so the player may fetch a linked sound from the web; the preview never does.

#include <QFrame>
#include <QTemporaryDir>

class QLabel;
class QMediaPlayer;
class QPushButton;

namespace mailvane {

class HeaderLabel;

class SoundPanel : public QFrame {
  Q_OBJECT

 public:
  explicit SoundPanel(QWidget* parent = nullptr);

  // Shows the panel and plays a link or a local file; `name` is what the list shows.
  void play(const QString& name, const QUrl& source);
  // Shows the panel and plays a part of a message, from a temporary file of that name
  // (the player tells the kind of sound by its ending).
  void playBytes(const QString& name, const QByteArray& bytes);
  // Shows the panel with a reason why `name` cannot be played.
  void report(const QString& name, const QString& problem);
  // Clears the source, stops the player and hides the panel.
  void stop();

  // The media player Wmp1, made on first use: opening the audio system costs a window
  // that is never asked to play its share of a second.
  QMediaPlayer* player();

  HeaderLabel* soundName;
  QLabel* soundState;
  QPushButton* Command17;

 signals:
  // Command17 was clicked.
  void closeRequested();

 private:
  void showState();

  QMediaPlayer* Wmp1 = nullptr;
  QTemporaryDir parts_;
  QString problem_;
};

}  // namespace mailvane
