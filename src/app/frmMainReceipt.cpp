// The receipt and the detailed statement of the prescription on screen, what
// was charged for it, and the settings window with the pharmacy's own details.

#include "frmMain.h"

#include "KVSp.h"
#include "charge/ReceiptFigures.h"
#include "data/Settings.h"
#include "data/SqliteConnection.h"
#include "frmPayment.h"
#include "frmReceipt.h"
#include "frmSettings.h"
#include "util/Messages.h"

#include <QLabel>

#include <filesystem>
#include <sstream>

namespace pelmora {

namespace {

constexpr const char* kNewPrescription = "0000000000";

// The settings file lives beside the store, in the installation's Data folder.
std::string settingsFile(const SqliteConnection* store) {
    if (!store || store->path().empty()) return {};
    return (std::filesystem::path(store->path()).parent_path() / "Pelmora.ini").string();
}

Pharmacy pharmacyOf(const SqliteConnection* store) {
    const std::string path = settingsFile(store);
    if (path.empty()) return {};
    std::ostringstream ignored; // the start-up has reported the file's faults
    return Settings::load(path, ignored).pharmacy;
}

} // namespace

// The grid rows are the request's line records, one for one.
void frmMain::keepFigures(const clsAccount& account, const std::string& sPara1, const std::string& sPara2,
                          bool runError) {
    std::vector<std::string> names;
    for (int r = 1; r <= Sp처방->MaxRows(); ++r)
        names.push_back(Sp처방->Cell(r, 2).toText());
    figures_ = ReceiptFigures(account, sPara1, sPara2, names, runError);
}

std::optional<StoredCharge> frmMain::figuresForSave() const {
    std::optional<StoredCharge> f = figures_;
    if (f) f->pharmacist = pharmacyOf(store_).pharmacist;
    return f;
}

void frmMain::offerReceipt() {
    if (!store_ || lastSaved_.isEmpty()) return;
    const std::string code = lastSaved_.toStdString();
    const auto stored = StoredCharge::Read(*store_, code);
    if (!stored) return;
    // Not waited for: the window is already clear for the next patient.
    auto* pay = new frmPayment(stored->collect, stored->payment, this);
    pay->setAttribute(Qt::WA_DeleteOnClose);
    connect(pay, &QDialog::accepted, this, [this, pay, code] {
        if (!WritePayment(*store_, code, pay->payment()))
            messages().information("수납 내용을 저장하지 못했습니다.", "저장실패");
        if (pay->printReceipt()) openReceipt(QString::fromStdString(code), this);
    });
    pay->open();
}

void frmMain::openReceipt(const QString& code, QWidget* over) {
    if (!store_ || code.isEmpty()) return;
    auto* dialog = new frmReceipt(*store_, &ref_, pharmacyOf(store_), code.toStdString(), over);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

// The prescription the window holds when it is stored, else the one saved
// last while the window is still empty.
void frmMain::cmd영수증_Click() {
    if (!store_) return;
    const QString shown = lab조제코드->text();
    const bool loaded = !shown.isEmpty() && shown != QLatin1String(kNewPrescription);
    const QString code = loaded ? shown : hasPrescription() ? QString() : lastSaved_;
    if (code.isEmpty()) {
        messages().information("영수증은 저장한 처방전에 발행합니다. 먼저 저장하십시오.", "영수증");
        return;
    }
    if (loaded && figures_) {
        const auto stored = StoredCharge::Read(*store_, code.toStdString());
        if (stored && stored->collect != figures_->collect &&
            !messages().question(
                "화면의 금액이 저장된 금액과 다릅니다.\n저장된 처방전의 영수증을 발행하시겠습니까?",
                "영수증"))
            return;
    }
    openReceipt(code, this);
}

void frmMain::cmd설정_Click() {
    const std::string path = settingsFile(store_);
    if (path.empty()) return;
    frmSettings settings(path, this);
    addBackupPage(settings);
    settings.exec();
}

} // namespace pelmora
