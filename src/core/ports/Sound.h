#pragma once
#include <QString>

namespace ports {

// Plays a WAV file asynchronously, fire and forget. A missing file or no audio output is silent.
class Sound {
public:
    virtual ~Sound() = default;
    virtual void play(const QString& wavPath) = 0;
};

} // namespace ports
