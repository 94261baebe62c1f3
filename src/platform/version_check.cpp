#include "version_check.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>

namespace qm {

namespace {

constexpr qsizetype kAnswerLength = 29;

// The number written in text[from, from + count), or -1 unless every character is a digit.
int digitsAt(const QByteArray& text, qsizetype from, qsizetype count) {
    int value = 0;
    for (qsizetype i = from; i < from + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<QDate> dateOf(int year, int month, int day) {
    if (year < 0 || month < 0 || day < 0) {
        return std::nullopt;
    }
    const QDate date(year, month, day);
    if (!date.isValid()) {
        return std::nullopt;
    }
    return date;
}

} // namespace

std::optional<QDate> parseVersionAnswer(const QByteArray& answer) {
    if (answer.size() != kAnswerLength) {
        return std::nullopt;
    }
    if (answer[4] == '-' && answer[7] == '-') { // yyyy-mm-dd
        return dateOf(digitsAt(answer, 0, 4), digitsAt(answer, 5, 2), digitsAt(answer, 8, 2));
    }
    if (answer[2] == '/' && answer[5] == '/') { // mm/dd/yyyy
        return dateOf(digitsAt(answer, 6, 4), digitsAt(answer, 0, 2), digitsAt(answer, 3, 2));
    }
    return std::nullopt;
}

std::optional<QDate> fetchReleaseDate(const QUrl& baseUrl, int timeoutMs) {
    if (!baseUrl.isValid() || baseUrl.host().isEmpty() || timeoutMs <= 0) {
        return std::nullopt;
    }
    QUrl url = baseUrl;
    QString path = url.path();
    while (path.endsWith(u'/')) {
        path.chop(1);
    }
    url.setPath(path + QLatin1String(kVersionPath));

    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setTransferTimeout(timeoutMs);
    const std::unique_ptr<QNetworkReply> reply(manager.get(request));

    QEventLoop loop;
    QTimer bound;
    bound.setSingleShot(true);
    QObject::connect(&bound, &QTimer::timeout, &loop, &QEventLoop::quit);
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // Anything longer than one answer is not one; stop receiving it.
    QObject::connect(reply.get(), &QNetworkReply::readyRead, reply.get(), [r = reply.get()] {
        if (r->bytesAvailable() > kAnswerLength) {
            r->abort();
        }
    });
    bound.start(timeoutMs);
    if (!reply->isFinished()) {
        loop.exec();
    }
    if (!reply->isFinished()) {
        reply->abort();
        return std::nullopt;
    }
    if (reply->error() != QNetworkReply::NoError ||
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() != 200) {
        return std::nullopt;
    }
    return parseVersionAnswer(reply->readAll());
}

bool isUpgradeOffered(const QDate& programFileDate, const QDate& releaseDate) {
    return programFileDate.isValid() && releaseDate.isValid() && programFileDate < releaseDate;
}

} // namespace qm
