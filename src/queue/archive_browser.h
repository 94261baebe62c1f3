#pragma once
// Form3, the archives browser: every archived order on one line, narrowed by customer and by
// search text typed straight into the list, the story of the chosen order, and its printing.
// It changes no file and holds no command guard; the pending queue's selection stays as it is.
//
// Opening it: ArchiveBrowser browser(context, parent, prepare); browser.exec();
// `prepare` gives the window the zoom and face colour of a secondary window at each opening.

#include "app_context.h"
#include "archive_filter.h"
#include "archive_list.h"

#include <QDialog>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QKeyEvent;
class QLabel;
class QListView;
class QPlainTextEdit;
class QPushButton;

namespace qm {

class ArchiveModel;

class ArchiveBrowser final : public QDialog {
    Q_OBJECT
  public:
    using WindowPreparer = std::function<void(QWidget*)>;
    explicit ArchiveBrowser(AppContext& context, QWidget* parent = nullptr,
                            WindowPreparer prepare = {});
    ~ArchiveBrowser() override;

    // Reads Archives.fil and shows the window modally until it closes. Returns Rejected at
    // once when the file cannot be read at all (after saying so).
    int exec() override;
    // The opening without the modal loop: the archive read, the search text and customer
    // emptied, the window prepared. False when Archives.fil cannot be read at all.
    bool load();

    // Refills List2 from the archive with the customer and the search text.
    void FilterArchiveList();

    const QString& searchText() const { return searchText_; }
    // The order last chosen in this window (the pending queue's selection is not touched).
    const QString& selectedFileNumber() const { return selectedFileNumber_; }
    // Text1's text with its CR LF line ends, as printed.
    const QString& detailsText() const { return detailsText_; }
    ArchiveModel& model() { return *model_; }

    QComboBox* Combo1 = nullptr;
    QListView* List2 = nullptr;
    QPlainTextEdit* Text1 = nullptr;
    QPushButton* cmdPrint = nullptr;
    QPushButton* cmdReset = nullptr;
    QLabel* lblHint = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

  private:
    void fillCustomers();
    std::optional<std::uint32_t> chosenCustomer() const;
    void customerClick();
    // A key typed into List2 (or into Combo1, which hands it on); false for keys the list
    // itself moves with.
    bool listKeyPress(const QKeyEvent* key);
    void setSearchText(const QString& text);
    void orderClick(int row);
    void cmdPrintClick();
    void cmdResetClick();
    void unload();

    AppContext& context_;
    WindowPreparer prepare_;
    ArchiveModel* model_ = nullptr;
    QFont listDesignFont_;
    std::unique_ptr<ArchiveList> list_;
    std::unique_ptr<ArchiveFilter> filter_;
    QString searchText_;
    QString detailsText_;
    QString selectedFileNumber_;
    bool filling_ = false; // Combo1 being filled or reset: no filter per change
};

} // namespace qm
