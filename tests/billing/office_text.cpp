#include "office_text.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>

namespace qm::test {

namespace {

bool run(const QString& program, const QStringList& arguments, QByteArray& out,
         std::string& diagnostics) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(180000)) {
        diagnostics += program.toStdString() + " did not finish; ";
        process.kill();
        process.waitForFinished();
        return false;
    }
    out = process.readAllStandardOutput();
    diagnostics += process.readAllStandardError().toStdString();
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

} // namespace

OfficeText officeTextOf(const std::string& docxPath) {
    OfficeText result;
    QTemporaryDir work;
    const QString profile = work.filePath(QStringLiteral("profile"));
    const QString outDir = work.filePath(QStringLiteral("out"));
    QDir().mkpath(outDir);
    QByteArray ignored;
    run(QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
         QStringLiteral("--headless"), QStringLiteral("--norestore"),
         QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), outDir,
         QString::fromStdString(docxPath)},
        ignored, result.diagnostics);
    const QString pdf =
        outDir + QLatin1Char('/') + QFileInfo(QString::fromStdString(docxPath)).completeBaseName() +
        QStringLiteral(".pdf");
    result.converted = QFileInfo::exists(pdf);
    if (!result.converted)
        return result;
    QByteArray text;
    run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")}, text,
        result.diagnostics);
    result.text = text.toStdString();
    return result;
}

} // namespace qm::test
