#pragma once
// What the player does with a key pressed in its window: it acts on none itself but Esc in its
// full-screen window; every other key is reported as the PlayerKey event, with Windows
// virtual-key numbers and the shift state, and travels on to the screen.
#include <Qt>

namespace app {

struct PlayerKeyAction {
    enum Kind {
        Ignore,          // a key with no virtual-key number
        Report,          // the PlayerKey event with keyCode and shift
        LeaveFullScreen, // back to the picture fitted to the player
    };
    Kind kind = Ignore;
    // The Windows virtual-key number (numeric keypad 4 = 100, keypad 6 = 102); the keypad's keys
    // count as keypad keys with Num Lock on or off.
    int keyCode = 0;
    int shift = 0; // 1 Shift, 2 Ctrl, 4 Alt

    bool operator==(const PlayerKeyAction&) const = default;
};

// `fullScreen`: the key was pressed in the full-screen window.
PlayerKeyAction playerKeyAction(int qtKey, Qt::KeyboardModifiers modifiers, bool fullScreen);

} // namespace app
