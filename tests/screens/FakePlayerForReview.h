#pragma once
// A player that records what the review screen asks of it; stands in where a test checks the
// screen's calls rather than the picture. Positions behave as frame numbers.
#include "core/ports/MediaPlayer.h"

#include <QStringList>
#include <QWidget>

namespace reviewtest {

class FakePlayer : public QWidget, public ports::MediaPlayer {
    Q_OBJECT
public:
    using QWidget::QWidget;

    QWidget* view() override { return this; }
    void onPlayerKey(KeyHandler handler) override {
        connect(this, &FakePlayer::PlayerKey, this, std::move(handler));
    }

    void setPlayerFileName(const QString& path) override {
        fileName = path;
        position = 0;
        calls << QStringLiteral("file ") + path;
    }
    QString PlayerFileName() const override { return fileName; }
    double PlayerPosition() const override { return position; }
    void setPlayerPosition(double frame) override {
        position = frame;
        calls << QStringLiteral("position %1").arg(frame);
    }
    void setPlayerSelectionStart(double frame) override {
        selectionStart = frame;
        calls << QStringLiteral("selectionStart %1").arg(frame);
    }
    void setPlayerSelectionEnd(double frame) override {
        selectionEnd = frame;
        calls << QStringLiteral("selectionEnd %1").arg(frame);
    }
    int PlayerDisplaySize() const override { return displaySize; }
    void setPlayerDisplaySize(int size) override {
        displaySize = size;
        calls << QStringLiteral("displaySize %1").arg(size);
    }
    void setPlayerSeekEnabled(bool on) override {
        seekEnabled = on;
        calls << QStringLiteral("seek %1").arg(on ? "on" : "off");
    }
    void PlayerPlay() override {
        ++plays;
        calls << QStringLiteral("play");
    }
    void PlayerStop() override { calls << QStringLiteral("stop"); }
    void giveFocus() override { ++focusCalls; }
    void whenShown(std::function<void()> then) override { then(); }

    QString fileName;
    double position = 0;
    double selectionStart = -1;
    double selectionEnd = -1;
    int displaySize = 4;
    bool seekEnabled = true;
    int plays = 0;
    int focusCalls = 0;
    QStringList calls;

signals:
    void PlayerKey(int keyCode, int shift);
};

} // namespace reviewtest
