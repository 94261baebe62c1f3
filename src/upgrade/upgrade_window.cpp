#include "upgrade_window.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QMessageBox>
#include <QVBoxLayout>
#include <cstdio>

namespace upm {

namespace {

QMessageBox::Icon boxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Critical:
        return QMessageBox::Critical;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

const char* iconName(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return "information";
    case Icon::Critical:
        return "critical";
    case Icon::None:
        break;
    }
    return "none";
}

// Test seam: with UPMENDER_MESSAGES=stderr a message is written as one line
// "upmender message<TAB>icon<TAB>title<TAB>text" (line breaks as "\n") and answered with OK,
// so a test can run the real program without anyone at the screen.
bool messagesToStderr() {
    return qEnvironmentVariable("UPMENDER_MESSAGES") == u"stderr";
}

} // namespace

UpgradeWindow::UpgradeWindow() : lblStep(new QLabel(this)) {
    setWindowTitle(QString::fromUtf8(kWindowCaption));
    lblStep->setObjectName(QStringLiteral("lblStep"));
    lblStep->setMinimumWidth(320);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblStep);
    layout->setContentsMargins(24, 24, 24, 24);
}

void UpgradeWindow::showWindow() {
    show();
    idle();
}

void UpgradeWindow::showStep(const std::string& text) {
    lblStep->setText(QString::fromStdString(text));
    lblStep->repaint();
    idle();
}

void UpgradeWindow::idle() {
    QCoreApplication::processEvents();
}

void UpgradeWindow::message(const Message& message) {
    const QString title = QString::fromStdString(message.title);
    const QString text = QString::fromStdString(message.text);
    if (messagesToStderr()) {
        QString line = text;
        line.replace(u'\n', QStringLiteral("\\n"));
        std::fprintf(stderr, "upmender message\t%s\t%s\t%s\n", iconName(message.icon),
                     title.toUtf8().constData(), line.toUtf8().constData());
        std::fflush(stderr);
        return;
    }
    QMessageBox box(boxIcon(message.icon), title, text, QMessageBox::Ok,
                    isVisible() ? this : nullptr);
    box.exec();
}

void UpgradeWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
}

} // namespace upm
