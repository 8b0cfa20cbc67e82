#pragma once
// The frame-exact video player of the Timer & Review screen (placed as MediaPlayer1).
// Positions are frame numbers: position n shows frame n of the file, counted from 0.
// The player draws itself: view() is its widget, which the review screen places and which its
// parent widget owns (and with it the player).
#include <QString>
#include <functional>

class QWidget;

namespace ports {

class MediaPlayer {
public:
    virtual ~MediaPlayer() = default;

    // The player's picture, read-out, slider and step buttons.
    virtual QWidget* view() = 0;

    // Opens the file; the position goes to frame 0. An empty or unreadable file leaves the
    // player empty.
    virtual void setPlayerFileName(const QString& path) = 0;
    virtual QString PlayerFileName() const = 0;
    virtual double PlayerPosition() const = 0; // the frame now shown
    virtual void setPlayerPosition(double frame) = 0;
    virtual void setPlayerSelectionStart(double frame) = 0;
    virtual void setPlayerSelectionEnd(double frame) = 0;
    virtual int PlayerDisplaySize() const = 0; // 3 full screen, 4 fitted to the widget
    virtual void setPlayerDisplaySize(int size) = 0;
    virtual void setPlayerSeekEnabled(bool on) = 0; // the player's own slider and step buttons
    // Plays the selection at normal speed and returns at once; stops on the selection end frame.
    virtual void PlayerPlay() = 0;
    virtual void PlayerStop() = 0;
    // Gives the player the keyboard focus.
    virtual void giveFocus() = 0;
    // Runs `then` once the picture of the position last asked for is on the screen: at once when
    // it already is, else on the GUI thread when it arrives (or the file turns out unreadable).
    virtual void whenShown(std::function<void()> then) = 0;

    // The PlayerKey event: a key pressed while the player has the focus, with Windows
    // virtual-key numbers (100 numeric keypad 4, 102 numeric keypad 6). Called on the GUI thread.
    using KeyHandler = std::function<void(int keyCode, int shift)>;
    virtual void onPlayerKey(KeyHandler handler) = 0;
};

} // namespace ports
