#include "client/shell/qt/components/qt_media_player.h"

#include <QAudioOutput>
#include <QMediaPlayer>
#include <QUrl>

namespace quorvel::shell {

QtMediaPlayer::QtMediaPlayer()
    : output_(std::make_unique<QAudioOutput>()), player_(std::make_unique<QMediaPlayer>()) {
  output_->setVolume(0.5f);
  player_->setAudioOutput(output_.get());
  player_->setLoops(1);
}

QtMediaPlayer::~QtMediaPlayer() {
  player_->stop();
  player_->setAudioOutput(nullptr);
}

void QtMediaPlayer::SetURL(std::u16string_view file_path) {
  player_->setSource(QUrl::fromLocalFile(QStringView(file_path).toString()));
  player_->play();
}

}  // namespace quorvel::shell
