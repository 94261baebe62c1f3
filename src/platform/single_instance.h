#pragma once
// One copy of the program per user and program folder.

#include <QLocalServer>
#include <QLocalSocket>
#include <QObject>
#include <QString>

namespace qm {

class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // key tells copies apart: the same key means the same program folder of the same user.
    explicit SingleInstance(const QString& key, QObject* parent = nullptr);

    // Becomes the running copy, or, when one is running already, asks it to restore its window
    // and returns false.
    bool claim();

    static QString keyFor(const QString& programFolder);

  signals:
    // Another copy was started: restore and raise the window.
    void restoreRequested();

  private:
    void acceptCallers();
    void readCaller(QLocalSocket* caller);

    QString name_;
    QLocalServer server_;
};

} // namespace qm
