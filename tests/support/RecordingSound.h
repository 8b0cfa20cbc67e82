#pragma once
// A sound output that plays nothing and remembers the file names it was asked to play.
#include "core/ports/Sound.h"

#include <QStringList>

namespace testsupport {

class RecordingSound : public ports::Sound {
public:
    void play(const QString& wavPath) override { played << wavPath; }
    QStringList played;
};

} // namespace testsupport
