#pragma once
// Plays WAV files with Qt Multimedia, fire and forget. Each file gets one sound effect, kept
// for the life of this object so that a sound asked for is never cut off by its player going
// away; asking again while it plays starts it again. A missing or unreadable file, or a machine
// without audio output, is silent.
#include "core/ports/Sound.h"

#include <QHash>
#include <QObject>

class QSoundEffect;

namespace adapters {

class QtSound : public QObject, public ports::Sound {
    Q_OBJECT
public:
    explicit QtSound(QObject* parent = nullptr);
    ~QtSound() override;

    void play(const QString& wavPath) override;

private:
    struct Effect {
        QSoundEffect* effect = nullptr; // child of this object
        bool pending = false;           // play once loading has finished
    };
    QHash<QString, Effect> m_effects;
};

} // namespace adapters
