#include "ui/adapters/AudioOutput.h"

#include <QAudioFormat>
#include <QAudioSink>
#include <QMediaDevices>
#include <algorithm>

namespace adapters {

AudioOutput::AudioOutput() : m_device(QMediaDevices::defaultAudioOutput()) {}

AudioOutput::~AudioOutput() {
    stop();
}

int AudioOutput::preferredRate() const {
    const int rate = m_device.preferredFormat().sampleRate();
    return rate > 0 ? rate : 48000;
}

int AudioOutput::preferredChannels() const {
    return std::clamp(m_device.preferredFormat().channelCount(), 1, 2);
}

bool AudioOutput::open(int rate, int channels) {
    stop();
    if (m_device.isNull())
        return false;
    QAudioFormat format;
    format.setSampleRate(rate);
    format.setChannelCount(channels);
    format.setSampleFormat(QAudioFormat::Int16);
    if (!m_device.isFormatSupported(format))
        return false;
    m_sink = std::make_unique<QAudioSink>(m_device, format);
    return true;
}

bool AudioOutput::start(int rate, int channels) {
    if (!open(rate, channels))
        return false;
    m_io = m_sink->start();
    return m_io != nullptr;
}

void AudioOutput::write(const QByteArray& pcm) {
    if (m_io)
        m_io->write(pcm);
}

bool AudioOutput::play(const QByteArray& pcm, int rate, int channels) {
    if (!open(rate, channels))
        return false;
    m_clip = pcm;
    m_buffer.setBuffer(&m_clip);
    if (!m_buffer.open(QIODevice::ReadOnly)) {
        m_sink.reset();
        return false;
    }
    m_sink->start(&m_buffer);
    return true;
}

void AudioOutput::stop() {
    m_io = nullptr;
    if (m_sink) {
        m_sink->stop();
        m_sink.reset();
    }
    m_buffer.close();
}

} // namespace adapters
