#include "office_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
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

OfficePdf::OfficePdf(const std::string& docxPath) {
    const QString profile = work_.filePath(QStringLiteral("profile"));
    const QString outDir = work_.filePath(QStringLiteral("out"));
    QDir().mkpath(outDir);
    QByteArray ignored;
    run(QStringLiteral("soffice"),
        {QStringLiteral("-env:UserInstallation=") + QUrl::fromLocalFile(profile).toString(),
         QStringLiteral("--headless"), QStringLiteral("--norestore"),
         QStringLiteral("--convert-to"), QStringLiteral("pdf"), QStringLiteral("--outdir"), outDir,
         QString::fromStdString(docxPath)},
        ignored, diagnostics_);
    pdf_ = outDir + QLatin1Char('/') +
           QFileInfo(QString::fromStdString(docxPath)).completeBaseName() + QStringLiteral(".pdf");
    converted_ = QFileInfo::exists(pdf_);
    // For a look at the pages by eye: QM_KEEP_OFFICE_PDF=<folder> keeps a copy of each PDF
    // and of the DOCX it was made from.
    if (const QString keep = qEnvironmentVariable("QM_KEEP_OFFICE_PDF");
        converted_ && !keep.isEmpty()) {
        const QString copy = keep + QLatin1Char('/') + QFileInfo(pdf_).fileName();
        QFile::remove(copy);
        QFile::copy(pdf_, copy);
        QFile::remove(copy + QStringLiteral(".docx"));
        QFile::copy(QString::fromStdString(docxPath), copy + QStringLiteral(".docx"));
    }
}

std::string OfficePdf::text(double fixedPitch) const {
    if (!converted_)
        return {};
    QStringList arguments;
    if (fixedPitch > 0)
        arguments << QStringLiteral("-fixed") << QString::number(fixedPitch);
    else
        arguments << QStringLiteral("-layout");
    arguments << pdf_ << QStringLiteral("-");
    QByteArray out;
    run(QStringLiteral("pdftotext"), arguments, out, diagnostics_);
    return out.toStdString();
}

} // namespace qm::test
