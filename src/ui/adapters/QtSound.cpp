#include "ui/adapters/QtSound.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace adapters {

QtSound::QtSound(QObject* parent) : QObject(parent) {}

QtSound::~QtSound() = default;

void QtSound::play(const QString& wavPath) {
    const QFileInfo info(wavPath);
    if (!info.isFile())
        return;
    const QString key = info.absoluteFilePath();
    Effect& e = m_effects[key];
    if (e.effect && e.effect->status() == QSoundEffect::Error) {
        // the file may have been replaced since: load it afresh
        e.effect->deleteLater();
        e.effect = nullptr;
    }
    if (!e.effect) {
        e.effect = new QSoundEffect(this);
        QSoundEffect* effect = e.effect;
        connect(effect, &QSoundEffect::statusChanged, this, [this, key, effect] {
            auto it = m_effects.find(key);
            if (it == m_effects.end() || it->effect != effect)
                return;
            if (effect->status() == QSoundEffect::Ready && it->pending) {
                it->pending = false;
                effect->play();
            } else if (effect->status() == QSoundEffect::Error) {
                it->pending = false;
            }
        });
        effect->setSource(QUrl::fromLocalFile(key));
    }
    if (e.effect->status() == QSoundEffect::Ready)
        e.effect->play();
    else
        e.pending = true;
}

} // namespace adapters
