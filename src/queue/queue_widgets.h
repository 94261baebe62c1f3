#pragma once
// Small pieces the queue's widget files share.

#include <QColor>
#include <QFont>
#include <QString>
#include <QStyledItemDelegate>
#include <functional>

class QWidget;

namespace qm {

inline const QColor kIdleFilterColour(224, 224, 224);
inline const QColor kFilterInUseColour(0, 255, 255);

template <typename W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// Background of a list or box, whatever part of it the style paints.
void paintBackground(QWidget* widget, const QColor& colour);
// Courier New 9.75 pt, so that the columns and labels line up.
QFont queueTextFont();
// The Menu key and Shift+F10 over the widget run open.
void addMenuShortcuts(QWidget* widget, std::function<void()> open);

// Cells drawn without the dotted frame around the current cell: the whole row is the
// selection, as in the grid of old.
class RowDelegate final : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

  protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override;
};

} // namespace qm
