// The references of `skivane-bench startup`: an empty Qt window, shown; the line
// "SKIVANE_REFERENCE_SHOWN" is printed once its first paint is done, and the process ends.
// Built twice: linked with Qt Widgets alone, and also with the FFmpeg libraries the program
// uses (SKIVANE_WITH_FFMPEG), so that the start-up figure can be set against both.
#include <QApplication>
#include <QEvent>
#include <QMetaObject>
#include <QWidget>
#include <QWindow>
#include <cstdio>

#ifdef SKIVANE_WITH_FFMPEG
extern "C" {
#include <libavcodec/avcodec.h>
#include <libavdevice/avdevice.h>
#include <libavfilter/avfilter.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}
#endif

namespace {

// The window's first expose paints it (the backing store is painted and flushed while the
// event is handled); the line is printed after that.
class PaintedReporter : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* w = qobject_cast<QWindow*>(watched);
        if (w && event->type() == QEvent::Expose && w->isExposed() && !m_done) {
            m_done = true;
            QMetaObject::invokeMethod(
                this,
                [] {
                    std::printf("SKIVANE_REFERENCE_SHOWN\n");
                    std::fflush(stdout);
                    QCoreApplication::exit(0);
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    bool m_done = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
#ifdef SKIVANE_WITH_FFMPEG
    // Each library is used, so that none is left out at link time.
    std::printf("# %u %u %u %u %u %u\n", avcodec_version(), avformat_version(), avdevice_version(),
                avfilter_version(), swscale_version(), swresample_version());
#endif
    QWidget w;
    w.resize(640, 480);
    PaintedReporter reporter;
    w.winId();
    w.windowHandle()->installEventFilter(&reporter);
    w.show();
    return QCoreApplication::exec();
}
