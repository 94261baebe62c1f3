#include "single_instance.h"

#include "user.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QLockFile>
#include <QTimer>

namespace qm {

namespace {

const QByteArray kRestore = QByteArrayLiteral("restore");
constexpr int kConnectMs = 200;
constexpr int kAnswerMs = 1000;
// A caller that says nothing sensible within this long is dropped.
constexpr int kIdleClientMs = 5000;
constexpr qint64 kLongestLine = 64;

// Socket names become file names in the temporary folder: keep them to safe characters.
QString safeName(const std::string& name) {
    QString safe = QString::fromStdString(name);
    for (QChar& c : safe) {
        const bool ok = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                        (c >= u'0' && c <= u'9') || c == u'_' || c == u'-' || c == u'.';
        if (!ok) {
            c = u'_';
        }
    }
    return safe;
}

} // namespace

SingleInstance::SingleInstance(const QString& key, QObject* parent) : QObject(parent), name_(key) {
    server_.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server_, &QLocalServer::newConnection, this, &SingleInstance::acceptCallers);
}

QString SingleInstance::keyFor(const QString& programFolder) {
    // One folder reached through a link or written with a trailing "/" is still one folder.
    QString folder = QFileInfo(programFolder).canonicalFilePath();
    if (folder.isEmpty()) {
        folder = QDir::cleanPath(programFolder);
    }
    const QByteArray digest =
        QCryptographicHash::hash(folder.toUtf8(), QCryptographicHash::Sha1).toHex();
    return QStringLiteral("quillmark-") + safeName(logOnName()) + u'-' +
           QString::fromLatin1(digest.left(16));
}

bool SingleInstance::claim() {
    // Two copies started together must not both find nobody and both listen (listening puts a
    // fresh socket file in place of any there); the lock lets one finish its claim first. A
    // lock left by a dead copy counts as stale at once.
    QLockFile guard(QDir::temp().filePath(name_ + QStringLiteral(".lock")));
    guard.tryLock(2 * kAnswerMs);

    QLocalSocket running;
    running.connectToServer(name_);
    if (running.waitForConnected(kConnectMs)) {
        running.write(kRestore + '\n');
        running.flush();
        running.waitForBytesWritten(kAnswerMs);
        // The running copy hangs up once it has taken the request.
        running.waitForDisconnected(kAnswerMs);
        return false;
    }

    // Nobody answered: what is left is the socket of a copy that crashed.
    QLocalServer::removeServer(name_);
    // Should listening fail, this copy still runs rather than refuse to start.
    server_.listen(name_);
    return true;
}

void SingleInstance::acceptCallers() {
    while (QLocalSocket* caller = server_.nextPendingConnection()) {
        connect(caller, &QLocalSocket::disconnected, caller, &QObject::deleteLater);
        connect(caller, &QLocalSocket::readyRead, this, [this, caller] { readCaller(caller); });
        QTimer::singleShot(kIdleClientMs, caller, [caller] {
            caller->abort();
            caller->deleteLater();
        });
        readCaller(caller);
    }
}

void SingleInstance::readCaller(QLocalSocket* caller) {
    if (caller->canReadLine()) {
        if (caller->readLine().trimmed() == kRestore) {
            emit restoreRequested();
        }
        caller->disconnectFromServer();
        return;
    }
    if (caller->bytesAvailable() > kLongestLine) {
        caller->abort();
        caller->deleteLater();
    }
}

} // namespace qm
