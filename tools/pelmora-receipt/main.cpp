// pelmora-receipt: the receipt or the detailed statement of a stored
// prescription as a PDF file, for reprints in bulk and for checks. A receipt
// printed here takes its number, or counts as a reprint, as in the window.

#include "app/ReceiptPrinter.h"
#include "data/LinkDatabase.h"
#include "data/LocalStore.h"
#include "data/ReferenceFiles.h"
#include "data/Settings.h"
#include "data/StartUp.h"
#include "data/StoredCharge.h"
#include "util/CommandLine.h"

#include <QGuiApplication>
#include <QPdfWriter>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

using namespace pelmora;
namespace fs = std::filesystem;

namespace {

const CommandLine cli(
    "pelmora-receipt",
    {.synopsis = {"[--root DIR] CODE receipt|statement A4|roll OUTPUT.pdf"},
     .description =
         "Writes the receipt (약제비 계산서·영수증) or the detailed statement (세부산정내역) of the stored\n"
         "prescription CODE as a PDF file, laid out for A4 paper or an 80 mm receipt roll. A receipt takes\n"
         "the year's next receipt number at its first printing and is marked 재발행 when printed again.\n"
         "A prescription saved without its figures is priced again from its lines on the local reference\n"
         "files, and the receipt says so. Exit status: 0 written, 1 not written (the reason on standard\n"
         "error, in Korean), 2 wrong arguments.",
     .options = "  --root DIR  the installation root (default $HOME/Corvane)\n"});

struct Options {
    fs::path root = defaultRoot();
    std::string code, out;
    ReceiptKind kind = ReceiptKind::Receipt;
    ReceiptPaper paper = ReceiptPaper::A4;
};

std::optional<std::string> parse(int argc, char** argv, Options& o) {
    std::vector<std::string> plain;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--root") {
            if (i + 1 >= argc || !*argv[i + 1]) return "--root 다음에 폴더를 주십시오.";
            o.root = argv[++i];
        } else if (a.rfind("--root=", 0) == 0 && a.size() > 7) {
            o.root = a.substr(7);
        } else if (a.rfind("--", 0) == 0) {
            return "알 수 없는 옵션입니다: " + a;
        } else {
            plain.push_back(a);
        }
    }
    if (plain.size() != 4) return "조제코드, 종류, 용지, 출력 파일 네 가지를 주십시오.";
    o.code = plain[0];
    if (plain[1] == "receipt")
        o.kind = ReceiptKind::Receipt;
    else if (plain[1] == "statement")
        o.kind = ReceiptKind::Statement;
    else
        return "종류는 receipt 또는 statement 입니다: " + plain[1];
    if (plain[2] == "A4" || plain[2] == "a4")
        o.paper = ReceiptPaper::A4;
    else if (plain[2] == "roll")
        o.paper = ReceiptPaper::Roll;
    else
        return "용지는 A4 또는 roll 입니다: " + plain[2];
    o.out = plain[3];
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (auto done = cli.answer(argc, argv)) return *done;
    Options o;
    if (auto why = parse(argc, argv, o)) return cli.usageError(*why);

    // Fonts need a platform; without a screen the offscreen one serves.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    const fs::path data = ReferenceFiles::dataFolder(o.root);
    const fs::path storePath = data / "Pelmo.db";
    std::unique_ptr<SqliteConnection> store;
    if (!fs::exists(storePath) || !OpenLocalStore(store, storePath.string())) {
        std::cerr << "pelmora-receipt: 처방전 저장소를 열 수 없습니다: " << storePath.string() << "\n";
        return 1;
    }
    const Settings settings = Settings::load((data / "Pelmora.ini").string(), std::cerr);

    // Reference data only for a prescription saved without its figures.
    std::unique_ptr<LinkDatabase> link;
    if (!StoredCharge::Read(*store, o.code)) {
        std::string why;
        if (!ConnectLocalMdb(o.root, link, &why))
            std::cerr << "pelmora-receipt: 다시 계산할 참조 자료를 열 수 없습니다: " << why << "\n";
    }

    std::error_code ec;
    const bool existed = fs::exists(o.out, ec);
    QPdfWriter pdf(QString::fromStdString(o.out));
    pdf.setTitle(
        QString::fromUtf8(o.kind == ReceiptKind::Receipt ? "약제비 계산서·영수증" : "약제비 세부산정내역"));
    pdf.setCreator(QStringLiteral("Pelmora"));
    const ReceiptPrintResult r = PrintStoredReceipt(
        {*store, link ? &link->connection() : nullptr, settings.pharmacy, o.code, o.kind, o.paper}, pdf);
    if (!r.printed) {
        std::cerr << "pelmora-receipt: " << r.error.toStdString() << "\n";
        if (!existed) fs::remove(o.out, ec); // nothing half-written stays behind
        return 1;
    }
    if (r.repriced) std::cerr << "pelmora-receipt: 저장된 계산 금액이 없어 다시 계산하였습니다.\n";
    if (!r.receiptNo.empty())
        std::cerr << "pelmora-receipt: 영수증번호 " << r.receiptNo << (r.reissue ? " (재발행)" : "") << "\n";
    return 0;
}
