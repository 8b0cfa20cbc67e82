#include "ui/adapters/SingleInstance.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>
#include <QWidget>

namespace adapters {

namespace {

const QString kLockName = QStringLiteral("skivane.lock");
const QString kSocketName = QStringLiteral("skivane.socket");
// sun_path holds 108 bytes with its NUL; a longer path gets a short name in the temporary folder.
constexpr qsizetype kMaxSocketPath = 100;

QString socketNameFor(const QString& folder) {
    const QString inFolder = QDir(folder).filePath(kSocketName);
    if (QFile::encodeName(inFolder).size() <= kMaxSocketPath)
        return inFolder;
    const QByteArray hash = QCryptographicHash::hash(QFile::encodeName(QDir(folder).absolutePath()),
                                                     QCryptographicHash::Sha1)
                                .toHex()
                                .left(16);
    return QStringLiteral("skivane-") + QString::fromLatin1(hash);
}

} // namespace

SingleInstance::SingleInstance(const QString& folder)
    : m_folder(folder), m_lock(QDir(folder).filePath(kLockName)),
      m_socketName(socketNameFor(folder)) {
    // Held as long as the program runs, however long that is: only a dead owner makes it stale.
    m_lock.setStaleLockTime(0);
    QObject::connect(&m_server, &QLocalServer::newConnection, &m_server, [this] {
        while (QLocalSocket* socket = m_server.nextPendingConnection()) {
            QObject::connect(socket, &QLocalSocket::disconnected, socket,
                             &QLocalSocket::deleteLater);
            socket->disconnectFromServer();
            if (m_wake)
                m_wake();
        }
    });
}

SingleInstance::~SingleInstance() {
    m_server.close();
    m_lock.unlock(); // no-op when not held
}

QString SingleInstance::lockPath() const {
    return QDir(m_folder).filePath(kLockName);
}

SingleInstance::Result SingleInstance::acquire() {
    QDir().mkpath(m_folder);
    // tryLock removes a lock whose owner is gone (its process no longer runs) and takes it.
    if (!m_lock.tryLock(0))
        return m_lock.error() == QLockFile::LockFailedError ? Result::HeldElsewhere
                                                            : Result::Unavailable;
    // A socket left by a program that crashed would refuse the listen: it is ours now.
    QLocalServer::removeServer(m_socketName);
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    m_server.listen(m_socketName); // without it a later start still ends; only the raise is lost
    return Result::Acquired;
}

bool SingleInstance::wakeRunning(int timeoutMs) {
    QLocalSocket socket;
    socket.connectToServer(m_socketName);
    if (!socket.waitForConnected(timeoutMs))
        return false;
    socket.disconnectFromServer();
    if (socket.state() != QLocalSocket::UnconnectedState)
        socket.waitForDisconnected(timeoutMs);
    return true;
}

void SingleInstance::bringWindowsForward() {
    QWidget* focus = QApplication::activeModalWidget();
    if (!focus)
        focus = QApplication::activeWindow();
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (!w->isVisible() || !w->isWindow() || w->windowType() == Qt::Popup ||
            w->windowType() == Qt::ToolTip)
            continue;
        if (w->isMinimized())
            w->showNormal();
        w->raise();
        if (!focus)
            focus = w;
    }
    if (focus) {
        focus->raise();
        focus->activateWindow();
    }
}

} // namespace adapters
