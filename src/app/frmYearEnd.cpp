#include "frmYearEnd.h"

#include "KVSp.h"
#include "ReportGrid.h"
#include "util/Clock.h"
#include "util/Messages.h"
#include "util/ModFunction.h"
#include "util/RuntimeError.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QSpinBox>
#include <QTableView>
#include <QVBoxLayout>

namespace pelmora {

namespace {
const std::vector<ReportColumn>& columns() {
    static const std::vector<ReportColumn> c = {{"성명", 12, false},
                                                {"주민등록번호", 16, false},
                                                {"조제건수", 8, true},
                                                {"본인부담+비급여", 14, true}};
    return c;
}

std::vector<Variant> rowOf(const PatientYear& p, const std::string& number) {
    return {Variant(p.name), Variant(number), Variant(static_cast<std::int32_t>(p.count)), Variant(p.paid)};
}

// "9001011234567" as written on forms: "900101-1234567".
std::string withHyphen(const std::string& digits) {
    return digits.size() == 13 ? digits.substr(0, 6) + "-" + digits.substr(6) : digits;
}
} // namespace

frmYearEnd::frmYearEnd(SqliteConnection& store, QWidget* parent) : QWidget(parent), store_(store) {
    setObjectName(QStringLiteral("frmYearEnd"));
    pvn연도 = new QSpinBox(this);
    pvn연도->setObjectName(QStringLiteral("pvn연도"));
    pvn연도->setRange(2000, 2100);
    // In January and February the report is of the year that just ended.
    const LocalDateTime now = Clock::now();
    pvn연도->setValue(now.month <= 2 ? now.year - 1 : now.year);
    cmd조회 = new QPushButton(QStringLiteral("조회"), this);
    cmd조회->setObjectName(QStringLiteral("cmd조회"));
    cmd조회->setAutoDefault(false);
    sp연말 = new QTableView(this);
    sp연말->setObjectName(QStringLiteral("sp연말"));
    lab요약 = new QLabel(this);
    lab요약->setObjectName(QStringLiteral("lab요약"));
    lab요약->setWordWrap(true);
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("연도"), this));
    top->addWidget(pvn연도);
    top->addWidget(cmd조회);
    top->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(top);
    layout->addWidget(sp연말, 1);
    layout->addWidget(lab요약);
    Sp연말 = new KVSp(this);
    Sp연말->SpSet(sp연말);
    Sp연말->OperationMode(2);
    SetReportColumns(*Sp연말, columns());
    connect(cmd조회, &QPushButton::clicked, this, &frmYearEnd::cmd조회_Click);
}

frmYearEnd::~frmYearEnd() = default;

void frmYearEnd::cmd조회_Click() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        report_ = ReadYearEnd(store_, pvn연도->value());
        shownYear_ = pvn연도->value();
        QApplication::restoreOverrideCursor();
    } catch (const RuntimeError& e) {
        QApplication::restoreOverrideCursor();
        ShowError("frmYearEnd:cmd조회_Click", e);
        return;
    }
    SetReportColumns(*Sp연말, columns());
    const int n = static_cast<int>(report_.patients.size());
    Sp연말->setMaxRows(n);
    for (int r = 1; r <= n; ++r) {
        const PatientYear& p = report_.patients[static_cast<std::size_t>(r - 1)];
        SetReportRow(*Sp연말, r, rowOf(p, ModFunction::MaskResidentNo(withHyphen(p.jumNo))));
    }
    const QLocale won(QLocale::English);
    QString text = QStringLiteral("%1년: 환자 %2명, 본인부담+비급여 합계 %3원.")
                       .arg(shownYear_)
                       .arg(won.toString(n), won.toString(static_cast<qlonglong>(report_.paid.toInt64())));
    if (report_.optedOut > 0)
        text += QStringLiteral(" 보고를 원하지 않은 환자 %1명은 뺐습니다.").arg(report_.optedOut);
    if (report_.withoutNumber > 0)
        text +=
            QStringLiteral(" 주민등록번호가 없는 처방 %1건은 넣을 수 없었습니다.").arg(report_.withoutNumber);
    lab요약->setText(text);
}

QString frmYearEnd::suggestedFileName() const {
    return QStringLiteral("연말정산의료비_%1.xlsx").arg(shownYear_ ? shownYear_ : pvn연도->value());
}

bool frmYearEnd::exportYear(const QString& file) {
    if (shownYear_ == 0) cmd조회_Click();
    ReportSheet sheet(columns());
    for (const auto& p : report_.patients)
        sheet.addRow(rowOf(p, withHyphen(p.jumNo)));
    return sheet.save(file);
}

} // namespace pelmora
