#pragma once
// Loopback HTTP servers in processes of their own (the download blocks its thread).

#include <QProcess>
#include <QString>
#include <memory>

namespace upm::test {

class HttpServer {
  public:
    // python3 -m http.server serving folder.
    static std::unique_ptr<HttpServer> files(const QString& folder);
    // The misbehaving helper, serving package; requested paths go to log.
    static std::unique_ptr<HttpServer> helper(const QString& package, const QString& log);
    ~HttpServer();

    QString url() const { return QStringLiteral("http://127.0.0.1:%1").arg(port_); }
    bool running() const { return port_ > 0; }

  private:
    bool start(const QStringList& arguments, bool portAlone);
    QProcess process_;
    int port_ = 0;
};

} // namespace upm::test
