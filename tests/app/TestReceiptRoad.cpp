// The road from a priced prescription to its receipt: the figures of the run
// on screen are stored with it, and what the receipt prints is what was
// charged on the day.

#include "TestRoadFixture.h"
#include "app/frmList.h"
#include "app/frmPayment.h"
#include "app/frmReceipt.h"
#include "app/frmSettings.h"
#include "app/frmSettingsPharmacy.h"
#include "charge/ReceiptFigures.h"
#include "data/IniFile.h"
#include "data/StoredCharge.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace pelmora;
using test::GridLine;

namespace {
// The PDF's text, blanks and line ends dropped.
std::string pdfText(const QString& pdf) {
    std::string text;
    if (FILE* p = ::popen(("pdftotext -layout '" + pdf.toStdString() + "' - 2>/dev/null").c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;)
            text.append(buf, n);
        ::pclose(p);
    }
    std::erase_if(text, [](char c) { return c == ' ' || c == '\n' || c == '\f'; });
    return text;
}

// Keeps a picture of a window for looking at, when asked to.
void keepShot(QWidget* w, const char* name) {
    if (const char* dir = std::getenv("PELMORA_RECEIPT_SHOTS"))
        w->grab().save(QString::fromUtf8(dir) + QStringLiteral("/") + QString::fromUtf8(name) +
                       QStringLiteral(".png"));
}

void typeText(QWidget* field, const QString& text) {
    field->setFocus();
    for (QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}

const GridLine kTylenol{.code = "645301220", .name = "타이레놀정500mg", .price = "120"};
const GridLine kVitamin{.code = "643900710", .name = "비타민정", .coverage = 1, .price = "50"};
const GridLine kSelective{.code = "642100510", .name = "선별정", .coverage = 3, .price = "300"};
} // namespace

class TestReceiptRoad : public QObject {
    Q_OBJECT

    std::unique_ptr<test::RoadFixture> fx;
    frmMain* w() { return fx->w.get(); }

    void typed(const std::vector<GridLine>& lines) {
        fx->typeInto(w()->txt고객명, "홍길동");
        fx->typeInto(w()->txt주민번호, test::RoadFixture::residentNo("800101", '1'));
        fx->setLines(lines);
        w()->ProcRecalc();
    }
    QString save() {
        fx->box.answers = {true};
        w()->cmd저장_Click();
        return w()->lastSavedCode();
    }

    QString pdf(const char* name) { return QString::fromStdString(fx->dir.file(name)); }
    // The printing window's printer is a PDF file.
    void printTo(frmReceipt* r, const QString& file) {
        r->choosePrinter = [file](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(file);
            return true;
        };
        r->choosePdfFile = [file](const QString&) { return file; };
    }
    std::string iniPath() { return fx->dir.file("Pelmora.ini"); }

  private slots:
    void init() {
        fx = std::make_unique<test::RoadFixture>();
        std::ofstream(iniPath())
            << "[Server]\nHost=\n\n[Pharmacy]\nName=행복약국\nBizNo=2208162517\nPharmacist=이약사\n";
    }
    void cleanup() { fx.reset(); }

    // What the store keeps is the run on screen: the same request priced
    // again gives the same figures, and its amount to collect is the one shown.
    void theFiguresOfTheRunOnScreenAreStored() {
        typed({kTylenol, kVitamin, kSelective});
        QVERIFY(w()->chargeFigures().has_value());
        const std::string shown = fx->받을금액();
        const clsAccount again = fx->engine();
        const StoredCharge expected =
            ReceiptFigures(again, w()->lastRequest().first, w()->lastRequest().second,
                           {kTylenol.name, kVitamin.name, kSelective.name});
        const QString code = save();
        QVERIFY(!code.isEmpty());
        auto stored = StoredCharge::Read(*fx->store, code.toStdString());
        QVERIFY(stored.has_value());
        QCOMPARE(stored->collect.toText(), shown);
        QCOMPARE(stored->bonin + stored->bibo, stored->collect);
        QCOMPARE(stored->pharmacist, std::string("이약사")); // the default of the settings
        stored->pharmacist.clear();
        QVERIFY(*stored == expected);
        QVERIFY(!w()->chargeFigures().has_value()); // the window was reset
    }

    // Saved, paid by card and cash receipt with the keyboard, printed: the
    // receipt shows the split and takes the year's first number.
    void aSaveLeadsThroughPaymentToTheReceipt() {
        typed({kTylenol, kVitamin});
        const QString code = save();
        auto* pay = w()->findChild<frmPayment*>();
        QVERIFY(pay && pay->isVisible());
        const auto stored = StoredCharge::Read(*fx->store, code.toStdString());
        QCOMPARE(stored->payment.cash, stored->collect); // all cash until said otherwise
        QCOMPARE(stored->pharmacist, std::string("이약사"));
        QVERIFY(stored->collect > Currency::fromWon(150));
        pay->txt카드->selectAll();
        QTest::keyClicks(pay->txt카드, "100");
        pay->txt현금영수증->selectAll();
        QTest::keyClicks(pay->txt현금영수증, "50");
        QTest::keyClick(pay->txt현금영수증, Qt::Key_Return); // no identification number yet: refused
        QVERIFY(pay->isVisible());
        QCOMPARE(fx->box.boxes.back().title, std::string("입력오류"));
        QTest::keyClicks(pay->txt신분확인번호, "01012345678");
        QTest::keyClicks(pay->txt승인번호, "A77001");
        keepShot(pay, "payment-window");
        QTest::keyClick(pay->txt승인번호, Qt::Key_Return);
        const auto paid = StoredCharge::Read(*fx->store, code.toStdString());
        QCOMPARE(paid->payment.card, Currency::fromWon(100));
        QCOMPARE(paid->payment.cashRcpt, Currency::fromWon(50));
        QCOMPARE(paid->payment.cash, paid->collect - Currency::fromWon(150));

        auto* print = w()->findChild<frmReceipt*>();
        QVERIFY(print && print->isVisible());
        QVERIFY(print->opt영수증->isChecked() && print->optA4->isChecked());
        keepShot(print, "print-window");
        printTo(print, pdf("receipt.pdf"));
        QTest::keyClick(print, Qt::Key_Return);
        const std::string text = pdfText(pdf("receipt.pdf"));
        QVERIFY2(text.find("영수증번호:2023-000001") != std::string::npos, text.c_str());
        QVERIFY(text.find("홍길동") != std::string::npos);
        QVERIFY(text.find(WonText(paid->payment.cash)) != std::string::npos);
        QVERIFY(text.find("01012345678") != std::string::npos);
        QCOMPARE(StoredCharge::Read(*fx->store, code.toStdString())->receiptCount, 1);

        // F4 right after: the same prescription again, as a reprint, on the roll.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // the closed one is gone
        QTest::keyClick(w()->txt고객명, Qt::Key_F4);
        print = w()->findChild<frmReceipt*>();
        QVERIFY(print && print->isVisible());
        QTRY_VERIFY(print->isActiveWindow()); // the keys go to the new window
        QCOMPARE(QApplication::focusWidget(), print->opt영수증);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_L, Qt::AltModifier);
        QTRY_VERIFY(print->opt롤->isChecked()); // a mnemonic clicks the button a moment later
        printTo(print, pdf("reprint.pdf"));
        QTest::keyClick(print, Qt::Key_F8);
        QVERIFY(pdfText(pdf("reprint.pdf")).find("2023-000001(재발행)") != std::string::npos);
    }

    // From the history window, F4 prints the selected prescription; one saved
    // without figures is priced again and the receipt says so.
    void theHistoryWindowPrintsTheSelectedPrescription() {
        typed({kTylenol});
        const QString code = save();
        if (auto* pay = w()->findChild<frmPayment*>()) pay->reject();
        fx->store->execute("DELETE FROM Charge");
        bool printed = false;
        QTimer::singleShot(0, this, [&] {
            auto* list = qobject_cast<frmList*>(QApplication::activeModalWidget());
            QVERIFY(list);
            const std::unique_ptr<frmList, void (*)(frmList*)> closer(list, [](frmList* d) {
                if (d->isVisible()) d->reject();
            });
            QTest::keyClick(list->sp조제목록, Qt::Key_F4);
            auto* print = list->findChild<frmReceipt*>();
            QVERIFY(print);
            printTo(print, pdf("history.pdf"));
            QTest::keyClick(print, Qt::Key_F8);
            printed = true;
            QTest::keyClick(list->sp조제목록, Qt::Key_Escape);
        });
        w()->cmd조제내역_Click();
        QVERIFY(printed);
        const std::string text = pdfText(pdf("history.pdf"));
        QVERIFY(text.find("다시계산한금액입니다") != std::string::npos);
        const auto kept = StoredCharge::Read(*fx->store, code.toStdString());
        QVERIFY(kept);
        QVERIFY(kept && kept->repriced);
        QVERIFY(text.find(WonText(kept->collect)) != std::string::npos);
    }

    // F12: the pharmacy's details; a business number with a wrong check digit
    // is pointed out as typed and refused on saving; the file keeps its other lines.
    void theSettingsWindowKeepsThePharmacy() {
        bool done = false;
        QTimer::singleShot(0, this, [&] {
            auto* s = qobject_cast<frmSettings*>(QApplication::activeModalWidget());
            QVERIFY(s);
            // Closed whatever happens, so a failure does not leave the test waiting.
            const std::unique_ptr<frmSettings, void (*)(frmSettings*)> closer(s, [](frmSettings* d) {
                if (d->isVisible()) d->reject();
            });
            s->activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(s));
            frmSettingsPharmacy* p = s->pharmacyPage;
            QCOMPARE(p->txt상호->text(), QStringLiteral("행복약국"));
            QCOMPARE(p->txt사업자등록번호->text(), QStringLiteral("220-81-62517"));
            p->txt사업자등록번호->clear();
            QTest::keyClicks(p->txt사업자등록번호, "220-81-6251");
            QVERIFY(p->lab사업자등록번호->text().contains(QStringLiteral("10자리")));
            QTest::keyClicks(p->txt사업자등록번호, "8");
            QVERIFY(p->lab사업자등록번호->text().contains(QStringLiteral("검증번호")));
            typeText(p->txt대표자, QStringLiteral("김대표"));
            QTest::keyClick(p->txt대표자, Qt::Key_Return);
            QVERIFY(s->isVisible());
            QCOMPARE(s->focusWidget(), p->txt사업자등록번호);
            QVERIFY(p->txt사업자등록번호->hasSelectedText()); // ready to be typed again
            QTest::keyClicks(p->txt사업자등록번호, "2208162517");
            QVERIFY(p->lab사업자등록번호->text().contains(QStringLiteral("올바른")));
            p->cmb영수증용지->setCurrentIndex(1);
            keepShot(s, "settings-window");
            QTest::keyClick(p->txt대표자, Qt::Key_Return);
            done = !s->isVisible();
        });
        QTest::keyClick(w()->txt고객명, Qt::Key_F12);
        QVERIFY(done);
        const IniFile ini = IniFile::load(iniPath());
        QCOMPARE(ini.get("Pharmacy", "Owner"), std::optional<std::string>("김대표"));
        QCOMPARE(ini.get("Pharmacy", "BizNo"), std::optional<std::string>("2208162517"));
        QCOMPARE(ini.get("Pharmacy", "ReceiptPaper"), std::optional<std::string>("80mm"));
        QVERIFY(ini.get("Server", "Host").has_value());
        namespace fs = std::filesystem;
        QCOMPARE(fs::status(iniPath()).permissions() & fs::perms::all,
                 fs::perms::owner_read | fs::perms::owner_write);
    }
};

QTEST_MAIN(TestReceiptRoad)
#include "TestReceiptRoad.moc"
