#pragma once
// Keeps double quotes out of every text the user enters: one double quote in a stored text
// breaks the record files for every workstation. A typed '"' becomes an apostrophe, a typed
// '*' (the record markers' character) is dropped, and text arriving by any other way (paste,
// middle-click, drag and drop) has its double quotes turned into apostrophes.

#include <QObject>
#include <QString>

class QWidget;

namespace qm {

QString withoutDoubleQuotes(QString text);

class TextGuard : public QObject {
    Q_OBJECT
  public:
    // Guards every text field inside `window`, including fields created later.
    explicit TextGuard(QWidget* window);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    bool isInside(QObject* object) const;
    void watchTextField(QWidget* field);
    QWidget* window_;
};

} // namespace qm
