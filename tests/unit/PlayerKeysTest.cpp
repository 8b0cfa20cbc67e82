// What the player does with a key: the PlayerKey event with Windows virtual-key numbers and the
// shift state, or leaving full screen on Esc there.
#include "core/app/PlayerKeys.h"

#include <gtest/gtest.h>

namespace {

using Action = app::PlayerKeyAction;

TEST(PlayerKeys, ActionForEachKey) {
    const Qt::KeyboardModifiers none = Qt::NoModifier;
    const Qt::KeyboardModifiers pad = Qt::KeypadModifier;
    struct Case {
        int key;
        Qt::KeyboardModifiers modifiers;
        bool fullScreen;
        Action expected;
    };
    const Case cases[] = {
        // The keypad's arrows are the keypad digits, with Num Lock on or off.
        {Qt::Key_4, pad, false, {Action::Report, 100, 0}},
        {Qt::Key_Left, pad, false, {Action::Report, 100, 0}},
        {Qt::Key_6, pad | Qt::ShiftModifier, false, {Action::Report, 102, 1}},
        {Qt::Key_Right, pad, true, {Action::Report, 102, 0}},
        {Qt::Key_0, pad, false, {Action::Report, 96, 0}},
        {Qt::Key_Delete, pad, false, {Action::Report, 110, 0}},
        {Qt::Key_Enter, pad, false, {Action::Report, 13, 0}},
        {Qt::Key_Plus, pad, false, {Action::Report, 107, 0}},
        // The main keyboard.
        {Qt::Key_Left, none, false, {Action::Report, 37, 0}},
        {Qt::Key_Right, none, false, {Action::Report, 39, 0}},
        {Qt::Key_4, none, false, {Action::Report, 52, 0}},
        {Qt::Key_A, Qt::ControlModifier, false, {Action::Report, 65, 2}},
        {Qt::Key_Z, Qt::ShiftModifier | Qt::AltModifier, false, {Action::Report, 90, 5}},
        {Qt::Key_F1, none, false, {Action::Report, 112, 0}},
        {Qt::Key_F24, none, false, {Action::Report, 135, 0}},
        {Qt::Key_Plus, none, false, {Action::Report, 187, 0}},
        {Qt::Key_BraceLeft, Qt::ShiftModifier, false, {Action::Report, 219, 1}},
        {Qt::Key_Space, none, false, {Action::Report, 32, 0}},
        // Esc is the screen's, except in the full-screen window, which it leaves.
        {Qt::Key_Escape, none, false, {Action::Report, 27, 0}},
        {Qt::Key_Escape, none, true, {Action::LeaveFullScreen, 0, 0}},
        // Keys with no virtual-key number are not reported.
        {Qt::Key_F25, none, false, {}},
        {Qt::Key_Eacute, none, false, {}},
        {Qt::Key_unknown, Qt::ShiftModifier, true, {}},
    };
    for (const Case& c : cases) {
        const Action got = app::playerKeyAction(c.key, c.modifiers, c.fullScreen);
        EXPECT_EQ(got, c.expected)
            << "key 0x" << std::hex << c.key << " modifiers 0x" << c.modifiers.toInt()
            << " full screen " << c.fullScreen << ": got " << std::dec << got.kind << " "
            << got.keyCode << " " << got.shift;
    }
}

} // namespace
