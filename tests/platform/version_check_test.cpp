#include "version_check.h"

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTcpSocket>
#include <gtest/gtest.h>

namespace {

using qm::fetchReleaseDate;
using qm::isUpgradeOffered;
using qm::parseVersionAnswer;

// An answer of the given length that begins with the given text.
QByteArray answerOf(const QByteArray& start, qsizetype length) {
    QByteArray answer = start + " Quillmark 1.31 build 0042 ";
    answer.resize(length, '.');
    return answer;
}

QByteArray httpResponse(int status, const QByteArray& body) {
    return "HTTP/1.1 " + QByteArray::number(status) + " X\r\n" +
           "Content-Type: text/plain\r\nContent-Length: " + QByteArray::number(body.size()) +
           "\r\nConnection: close\r\n\r\n" + body;
}

// A web server on loopback that gives each request one canned response, or with an empty one,
// accepts and never answers. It is served by the event loop that fetchReleaseDate runs.
class CannedServer {
  public:
    explicit CannedServer(QByteArray response) : response_(std::move(response)) {
        EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
        QObject::connect(&server_, &QTcpServer::newConnection, [this] { accept(); });
    }
    QUrl url(const QString& path = QString()) const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1%2").arg(server_.serverPort()).arg(path));
    }
    const QByteArray& request() const { return request_; }

  private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket] {
                request_ += socket->readAll();
                if (request_.contains("\r\n\r\n") && !response_.isEmpty()) {
                    socket->write(response_);
                    socket->disconnectFromHost();
                }
            });
        }
    }

    QTcpServer server_;
    QByteArray response_;
    QByteArray request_;
};

TEST(VersionAnswer, OnlyTwentyNineCharactersStartingWithADateCount) {
    const struct {
        const char* name;
        QByteArray answer;
        QDate expected; // invalid: no answer
    } cases[] = {
        {"iso date", answerOf("2024-03-15", 29), QDate(2024, 3, 15)},
        {"us date", answerOf("03/15/2024", 29), QDate(2024, 3, 15)},
        {"leap day", answerOf("02/29/2024", 29), QDate(2024, 2, 29)},
        {"28 characters", answerOf("2024-03-15", 28), {}},
        {"30 characters", answerOf("2024-03-15", 30), {}},
        {"empty", QByteArray(), {}},
        {"no date", answerOf("version 1.31", 29), {}},
        {"no leap day", answerOf("02/29/2023", 29), {}},
        {"month 13", answerOf("2024-13-01", 29), {}},
        {"day 0", answerOf("2024-03-00", 29), {}},
        {"day 32", answerOf("03/32/2024", 29), {}},
        {"unpadded", answerOf("3/15/2024 ", 29), {}},
        {"mixed separators", answerOf("2024/03-15", 29), {}},
        {"signed year", answerOf("+024-03-15", 29), {}},
        {"blank in number", answerOf("2024-03- 5", 29), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<QDate> got = parseVersionAnswer(c.answer);
        if (c.expected.isValid()) {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, c.expected);
        } else {
            EXPECT_FALSE(got.has_value());
        }
    }
}

TEST(VersionAnswer, UpgradeOfferedOnlyForALaterRelease) {
    const QDate program(2024, 3, 15);
    EXPECT_FALSE(isUpgradeOffered(program, program));
    EXPECT_TRUE(isUpgradeOffered(program, program.addDays(1)));
    EXPECT_FALSE(isUpgradeOffered(program, program.addDays(-1)));
    EXPECT_FALSE(isUpgradeOffered(QDate(), program));
}

TEST(VersionFetch, AnswersFromALoopbackServer) {
    const struct {
        const char* name;
        int status;
        QByteArray body;
        QDate expected; // invalid: nothing
    } cases[] = {
        {"29 characters", 200, answerOf("2024-03-15", 29), QDate(2024, 3, 15)},
        {"28 characters", 200, answerOf("2024-03-15", 28), {}},
        {"30 characters", 200, answerOf("2024-03-15", 30), {}},
        {"long answer", 200, answerOf("2024-03-15", 100000), {}},
        {"29 characters, no date", 200, answerOf("release 1.31", 29), {}},
        {"not found", 404, answerOf("2024-03-15", 29), {}},
        {"server error", 500, answerOf("2024-03-15", 29), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CannedServer server(httpResponse(c.status, c.body));
        const std::optional<QDate> got = fetchReleaseDate(server.url());
        EXPECT_TRUE(server.request().startsWith("GET /quillmark/version/current.txt HTTP/1.1\r\n"))
            << server.request().toStdString();
        if (c.expected.isValid()) {
            ASSERT_TRUE(got.has_value());
            EXPECT_EQ(*got, c.expected);
        } else {
            EXPECT_FALSE(got.has_value());
        }
    }
}

TEST(VersionFetch, BaseAddressMayEndInASlashOrHaveAFolder) {
    for (const QString& base : {QStringLiteral("/"), QStringLiteral("/vendor/")}) {
        SCOPED_TRACE(base.toStdString());
        CannedServer server(httpResponse(200, answerOf("03/15/2024", 29)));
        EXPECT_EQ(fetchReleaseDate(server.url(base)), QDate(2024, 3, 15));
        const QByteArray expected = "GET " + base.chopped(1).toUtf8() + qm::kVersionPath + " ";
        EXPECT_TRUE(server.request().startsWith(expected)) << server.request().toStdString();
    }
}

TEST(VersionFetch, SilentServerGivesNothingWithinTheBound) {
    CannedServer server{QByteArray()};
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(fetchReleaseDate(server.url(), 1000).has_value());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(server.request().isEmpty()); // the request did reach it
}

TEST(VersionFetch, NothingListeningGivesNothing) {
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(
        fetchReleaseDate(QUrl(QStringLiteral("http://127.0.0.1:%1").arg(port))).has_value());
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_FALSE(fetchReleaseDate(QUrl()).has_value());
}

} // namespace
