// The field rules of the main window: the dispensing time class, the patient's
// age and sex from the resident number, the issue number, the special-code
// rates and the repair of invalid dates.

#include "frmMain.h"

#include "data/clsHoliday.h"
#include "data/clsHosp.h"
#include "data/clsSpesial.h"
#include "util/Clock.h"
#include "util/Messages.h"
#include "util/ModFunction.h"
#include "util/NumericText.h"

#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTimeEdit>

namespace pelmora {

namespace {
// The age caption as a number; empty or not a number gives 0.
double ageOf(const QLabel* label) {
    return numericTextToDouble(label->text().trimmed().toStdString()).value_or(0);
}
} // namespace

void frmMain::ProcTimeClass() {
    const std::string d = dispensingDate().toStdString();
    clsHoliday holiday(ref_);
    holiday.HoliDt = d;
    holiday.RecordSelect();
    const bool isHoliday = holiday.FindResult;
    const QString t = pvt조제시간->time().toString(QStringLiteral("HH:mm:ss"));
    const double age = ageOf(lab나이);
    const std::string day = ModFunction::WeekdayName(d);
    int cls = 0;
    if (!lab나이->text().trimmed().isEmpty() && age > -1 && age <= 6 && (t > u"20:00:00" || t < u"07:00:00"))
        cls = 3;
    else if (day == "일요일" || isHoliday)
        cls = 2;
    else if (day == "토요일")
        cls = (t > u"13:00:00" || t < u"09:00:00") ? 1 : d >= "20131001" ? 4 : 0;
    else
        cls = (t > u"18:00:00" || t < u"09:00:00") ? 1 : 0;
    selectIndex(cmb시간외, cls);
}

void frmMain::residentRule() {
    const QStringList info = QString::fromStdString(ModFunction::ResidentInfo(dispensingDate().toStdString(),
                                                                              txt주민번호->text().toStdString()))
                                 .split(u'#');
    lab검증->setText(info.value(0));
    lab성별->setText(info.value(1));
    lab나이->setText(info.value(2));
    const double age = ageOf(lab나이);
    if (age >= 65) {
        selectIndex(cmb연령, 2);
    } else if (age > -1 && age <= 6) {
        selectIndex(cmb연령, 1);
        ProcTimeClass(); // a child may change the after-hours class
    } else {
        selectIndex(cmb연령, 0);
    }
    cmb보험종류1->setFocus(Qt::TabFocusReason);
}

// Checked after the key has taken effect, so a letter never stays in the field.
void frmMain::issueNumberEdited() {
    const QString t = txt교부번호->text();
    bool digitsOnly = true;
    for (QChar c : t) digitsOnly = digitsOnly && c >= u'0' && c <= u'9';
    if (t.trimmed().isEmpty() || digitsOnly) return;
    txt교부번호->clear();
    messages().information("교부번호는 숫자만 입력해야 합니다.", "입력오류");
    txt교부번호->setFocus(Qt::OtherFocusReason);
}

void frmMain::issueNumberLeft() {
    const QString t = txt교부번호->text().trimmed();
    if (t.isEmpty()) return;
    const QString padded = t.rightJustified(5, u'0');
    txt교부번호->setText(padded);
    if (padded != QLatin1String("00000")) return;
    messages().information("교부번호가 잘못 입력되었습니다!", "입력오류");
    txt교부번호->setFocus(Qt::OtherFocusReason);
}

void frmMain::dateLeft(QDateEdit* field) {
    const QDate typed = QDate::fromString(field->text(), field->displayFormat());
    if (typed.isValid() && field->date().isValid()) return;
    const LocalDateTime now = Clock::now();
    field->setDate(QDate(now.year, now.month, now.day));
}

QString frmMain::GetSpecialRate(const QString& specialCode, const QString& hospCode) {
    if (specialCode.isEmpty()) return {};
    const std::string d = dispensingDate().toStdString();
    const QString code = specialCode.trimmed().toUpper();
    clsSpesial special(ref_);
    special.SpeCd = code.toStdString();
    special.RecordSelect(d);
    if (!special.FindResult) return {};
    if (d >= "20111001" && code == QLatin1String("V252") && !hospCode.isEmpty()) {
        clsHosp hosp(ref_);
        hosp.HospCd = hospCode.trimmed().toStdString();
        hosp.RecordSelect(d);
        if (!hosp.FindResult) return {};
        lab요양기관번호->setText(QString::fromStdString(hosp.HospGu));
        return QString::fromStdString(hosp.HospPer);
    }
    switch (special.SpeGu) {
    case 0: return QStringLiteral("30");
    case 1: return QStringLiteral("20");
    case 2: return QStringLiteral("10");
    case 3: return QStringLiteral("5");
    default: return {};
    }
}

} // namespace pelmora
