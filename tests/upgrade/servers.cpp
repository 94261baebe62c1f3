#include "servers.h"

#include <QElapsedTimer>
#include <QRegularExpression>

namespace upm::test {

std::unique_ptr<HttpServer> HttpServer::files(const QString& folder) {
    auto server = std::make_unique<HttpServer>();
    server->start({"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder},
                  false);
    return server;
}

std::unique_ptr<HttpServer> HttpServer::helper(const QString& package, const QString& log) {
    auto server = std::make_unique<HttpServer>();
    server->start({"-u", QStringLiteral(UPM_TEST_DIR "/http_helper.py"), package, log}, true);
    return server;
}

bool HttpServer::start(const QStringList& arguments, bool portAlone) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(UPM_PYTHON), arguments);
    if (!process_.waitForStarted(10000))
        return false;
    // The server prints its port once it listens.
    static const QRegularExpression served(QStringLiteral("port (\\d+)"));
    QByteArray output;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000 && process_.waitForReadyRead(10000)) {
        output += process_.readAllStandardOutput();
        if (portAlone && output.contains('\n')) {
            port_ = output.trimmed().toInt();
            break;
        }
        if (const auto match = served.match(QString::fromUtf8(output)); match.hasMatch()) {
            port_ = match.captured(1).toInt();
            break;
        }
    }
    return port_ > 0;
}

HttpServer::~HttpServer() {
    process_.kill();
    process_.waitForFinished(5000);
}

} // namespace upm::test
