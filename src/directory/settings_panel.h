#pragma once
// The " PROGRAM SETTINGS" panel that covers the tabs while it is open: the business's details,
// the data folder, the mail system, brightness and zoom, the fee schedule with a customer's
// custom rates beside it, and the directory editor. OK stores everything.

#include "app_context.h"
#include "config.h"
#include "directory_files.h"
#include "result.h"

#include <QFrame>
#include <vector>

class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QSpinBox;
class QTableWidget;

namespace qm {

class DirectoryEditor;

class SettingsPanel final : public QFrame {
    Q_OBJECT
  public:
    explicit SettingsPanel(AppContext& context, QWidget* parent = nullptr);

    // Fills the controls from config.txt as read at start-up. The sliders take their
    // positions without running their handlers.
    void showSettings(const LoadedConfig& loaded);
    Settings settingsFromScreen() const;
    // The schedule as the refresh read it from Services.dat.
    void fillServiceGrid(const std::vector<ServiceEntry>& services);
    // The focus in the data path box with its whole text selected.
    void focusDataPath();

    enum class Saved { No, Yes, NewDataFolder };
    // OK: config.txt, Services.dat from the grid, the custom column, and the directory closed.
    // A data folder that is not there is said once and nothing is stored, so the user can
    // correct it here (Saved::No). Other failures are returned.
    Result<Saved> save();

    QLineEdit* txtCoName = nullptr;
    QLineEdit* txtAddr1 = nullptr;
    QLineEdit* txtAddr2 = nullptr;
    QLineEdit* txtCSZip = nullptr;
    QLineEdit* txtPhone = nullptr;
    QLineEdit* txtFax = nullptr;
    QLineEdit* txtEmail = nullptr;
    QComboBox* cboState = nullptr;
    QLineEdit* txtDBasePath = nullptr;
    QRadioButton* optOutlook = nullptr;
    QRadioButton* optMAPI = nullptr;
    QCheckBox* chkAuto = nullptr;
    // How mail leaves this workstation: the SMTP server, or the mail program.
    QLineEdit* txtSmtpHost = nullptr;
    QSpinBox* txtSmtpPort = nullptr;
    QComboBox* cboSmtpSecurity = nullptr;
    QLineEdit* txtSmtpUser = nullptr;
    QLineEdit* txtSmtpPassword = nullptr;
    QLineEdit* txtSenderAddress = nullptr;
    QLineEdit* txtMailProgram = nullptr;
    QPushButton* cmdSendTest = nullptr;
    QLabel* Label12 = nullptr;
    QSlider* Slider1 = nullptr;
    QSlider* Slider2 = nullptr;
    QTableWidget* grdService = nullptr;
    QLabel* lblCustom = nullptr;
    QPushButton* cmdDefaults = nullptr;
    DirectoryEditor* directory = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* buildBusiness();
    QWidget* buildSchedule();
    QWidget* buildDirectory();
    void showMailTransport(const MailTransport& mail);
    void showServices(const std::vector<ServiceEntry>& services);
    // A key on the fee grid: true when it was taken as typing into the current cell.
    bool typeIntoServiceGrid(QKeyEvent* key);
    // Writes Services.dat from the grid under the lock.
    Status saveFeeSchedule();
    // The custom column of the fee grid: a customer's rates shown, and stored back.
    void loadCustomRates(const QString& name);
    void saveCustomRates();
    // Sends a short message to the business's own address with the settings on screen.
    void sendTestMessage();

    AppContext& context_;
    // The fee grid shows a schedule that was loaded or typed, so OK may store it.
    bool serviceGridHoldsSchedule_ = false;
};

} // namespace qm
