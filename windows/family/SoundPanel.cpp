#include "windows/family/SoundPanel.h"

#include <QAudioOutput>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMediaPlayer>
#include <QPushButton>

#include "windows/family/HeaderLabel.h"
#include "windows/family/NamedWidget.h"

namespace mailvane {
namespace {

QString clock(qint64 ms) {
  const qint64 seconds = ms / 1000;
  return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

SoundPanel::SoundPanel(QWidget* parent) : QFrame(parent) {
  setObjectName(QStringLiteral("Psound1"));
  setFrameShape(QFrame::StyledPanel);
  soundName = named(new HeaderLabel(this), "soundName");
  soundState = named(new QLabel(this), "soundState");
  soundState->setForegroundRole(QPalette::PlaceholderText);
  soundState->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Command17 = named(new QPushButton(QStringLiteral("x"), this), "Command17");
  Command17->setToolTip(QStringLiteral("Stop and close the player"));
  spoken(Command17, "Stop and close the player");
  spoken(this, "Sound player");
  described(soundName, "Sound");
  described(soundState, "Player state");
  Command17->setFixedWidth(Command17->sizeHint().height() + 4);

  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(6, 2, 2, 2);
  auto* caption = new QLabel(QStringLiteral("Sound :"), this);
  caption->setForegroundRole(QPalette::PlaceholderText);
  layout->addWidget(caption);
  layout->addWidget(soundName, 1);
  layout->addWidget(soundState);
  layout->addWidget(Command17);

  connect(Command17, &QPushButton::clicked, this, &SoundPanel::closeRequested);
}

QMediaPlayer* SoundPanel::player() {
  if (Wmp1) return Wmp1;
  Wmp1 = new QMediaPlayer(this);
  Wmp1->setObjectName(QStringLiteral("Wmp1"));
  Wmp1->setAudioOutput(new QAudioOutput(Wmp1));
  connect(Wmp1, &QMediaPlayer::mediaStatusChanged, this, &SoundPanel::showState);
  connect(Wmp1, &QMediaPlayer::playbackStateChanged, this, &SoundPanel::showState);
  connect(Wmp1, &QMediaPlayer::positionChanged, this, &SoundPanel::showState);
  connect(Wmp1, &QMediaPlayer::errorOccurred, this,
          [this](QMediaPlayer::Error, const QString& text) {
            // The first reason is the telling one; the back end often adds echoes of it.
            if (problem_.isEmpty())
              problem_ = text.isEmpty() ? QStringLiteral("cannot play") : text;
            showState();
          });
  return Wmp1;
}

void SoundPanel::play(const QString& name, const QUrl& source) {
  if (!player()->isAvailable()) {
    report(name, QStringLiteral("this system has no media player back end"));
    return;
  }
  Wmp1->stop();
  problem_.clear();
  soundName->setValue(name);
  show();
  Wmp1->setSource(source);
  Wmp1->play();
  showState();
}

void SoundPanel::playBytes(const QString& name, const QByteArray& bytes) {
  // The player may still hold the previous file open.
  player()->stop();
  Wmp1->setSource(QUrl());
  QString fileName = QFileInfo(name).fileName();
  if (fileName.isEmpty() || fileName == QLatin1String("..")) fileName = QStringLiteral("sound");
  const QString path = QDir(parts_.path()).filePath(fileName);
  QFile file(path);
  if (!parts_.isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
      file.write(bytes) != bytes.size()) {
    report(name, QStringLiteral("cannot write a temporary file"));
    return;
  }
  file.close();
  play(name, QUrl::fromLocalFile(path));
}

void SoundPanel::report(const QString& name, const QString& problem) {
  if (Wmp1) {
    Wmp1->stop();
    Wmp1->setSource(QUrl());
  }
  soundName->setValue(name);
  problem_ = problem;
  show();
  showState();
}

void SoundPanel::stop() {
  if (Wmp1) {
    Wmp1->setSource(QUrl());
    Wmp1->stop();
  }
  problem_.clear();
  hide();
}

void SoundPanel::showState() {
  QString state;
  if (!problem_.isEmpty()) {
    state = QStringLiteral("Cannot play: ") + problem_;
  } else if (Wmp1 && Wmp1->playbackState() == QMediaPlayer::PlayingState) {
    state = QStringLiteral("Playing ") + clock(Wmp1->position());
    if (Wmp1->duration() > 0) state += QStringLiteral(" / ") + clock(Wmp1->duration());
  } else if (Wmp1 && Wmp1->mediaStatus() == QMediaPlayer::LoadingMedia) {
    state = QStringLiteral("Loading...");
  } else if (Wmp1 && Wmp1->mediaStatus() == QMediaPlayer::EndOfMedia) {
    state = QStringLiteral("Played to the end");
  } else if (Wmp1 && Wmp1->playbackState() == QMediaPlayer::PausedState) {
    state = QStringLiteral("Paused");
  }
  soundState->setText(state);
}

}  // namespace mailvane
