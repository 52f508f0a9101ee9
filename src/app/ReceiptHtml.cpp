// The fields come in the order of the statutory form: title and receipt
// number; patient and prescription; the amounts, itemised and in total, and
// how they were paid; the cash receipt; the issuer; the notes at the foot.

#include "ReceiptHtml.h"

namespace pelmora {

namespace {

QString h(const std::string& s) {
    return QString::fromStdString(s).toHtmlEscaped();
}
QString won(Currency c) {
    return QString::fromStdString(WonText(c));
}

const char* const kTitle = "약제비 계산서·영수증";
const char* const kStatementTitle = "약제비 세부산정내역";
const char* const kFormNo = "[별지 제11호서식]";

// Small building blocks of the tables. Texts are joined, never put in with
// arg(): a drug name such as "포도당5%10ml" would take the place of a later one.
QString th(const QString& t, const QString& extra = {}) {
    return QStringLiteral("<th bgcolor=\"#eeeeee\" ") + extra + QStringLiteral(">") + t +
           QStringLiteral("</th>");
}
QString td(const QString& t, const QString& extra = {}) {
    return QStringLiteral("<td ") + extra + QStringLiteral(">") + t + QStringLiteral("</td>");
}
QString num(Currency c) {
    return td(won(c), QStringLiteral("align=\"right\""));
}
QString tr(std::initializer_list<QString> cells) {
    QString s = QStringLiteral("<tr>");
    for (const auto& c : cells)
        s += c;
    return s + QStringLiteral("</tr>");
}
QString table(const QString& rows, bool border = true) {
    return QStringLiteral("<table width=\"100%\" border=\"%1\" cellspacing=\"0\" cellpadding=\"%2\" "
                          "style=\"border-collapse:collapse; border-color:#000000\">")
               .arg(border ? 1 : 0)
               .arg(border ? 4 : 1) +
           rows + QStringLiteral("</table>");
}
QString gap() {
    return QStringLiteral("<p></p>");
}
QString L(const char* text) {
    return QString::fromUtf8(text);
}

QString tick(bool on, const char* what) {
    return L(on ? "■" : "□") + L(what);
}

QString receiptNoLine(const ReceiptDocument& d) {
    return L("영수증번호: ") + h(d.receiptNo) + (d.reissue ? L(" (재발행)") : QString());
}

QString notices(const ReceiptDocument& d, bool foot) {
    QString s;
    for (const auto& n : d.notices)
        s += L("<p><b>※ ") + h(n) + L("</b></p>");
    if (foot)
        for (const auto& n : ReceiptDocument::footNotes())
            s += L("<p style=\"font-size:small\">* ") + h(n) + L("</p>");
    return s;
}

// ---- the receipt on A4 ----

QString receiptA4(const ReceiptDocument& d) {
    QString s = L("<p>") + L(kFormNo) + L("</p><h2 align=\"center\">") + L(kTitle) +
                L("</h2><p align=\"right\">") + receiptNoLine(d) + L("</p>");
    const QString wide = L("colspan=\"3\"");
    s +=
        table(tr({th(L("환자성명")), td(h(d.patient)), th(L("처방전 교부번호")), td(h(d.issueNo))}) +
              tr({th(L("처방 요양기관")), td(h(d.institution) + L(" / 처방의사 ") + h(d.prescriber), wide)}) +
              tr({th(L("조제일자")), td(h(d.dispensingDate)), th(L("투약일수")), td(h(d.days))}) +
              tr({th(L("조제약사")), td(h(d.pharmacist)), th(L("가산 구분")),
                  td(tick(d.night, "야간") + L("&nbsp;&nbsp;") + tick(d.holiday, "공휴"))}));

    QString rows = tr({th(L("항목")), th(L("① 본인부담금")), th(L("② 보험자부담금")),
                       th(L("③ 비급여<br>(전액본인부담 포함)"))});
    for (const auto& r : d.rows)
        rows += tr({td(h(r.name)), num(r.bonin), num(r.insurer), num(r.bibo)});
    rows += tr({th(L("합계")), num(d.bonin), num(d.insurer), num(d.bibo)});
    s += gap() + table(rows);

    s += gap() + table(tr({th(L("약제비총액 (①+②+③)")), num(d.total), th(L("① 본인부담금")), num(d.bonin)}) +
                       tr({th(L("② 보험자부담금")), num(d.insurer), th(L("③ 비급여 (전액본인부담 포함)")),
                           num(d.bibo)}) +
                       tr({th(L("전액본인부담")), num(d.full), th(L("총수납금액 (①+③)")), num(d.collect)}));
    const Payment& p = d.payment;
    s += gap() + table(tr({th(L("카드")), th(L("현금영수증")), th(L("현금")), th(L("합계"))}) +
                       tr({num(p.card), num(p.cashRcpt), num(p.cash), num(p.card + p.cashRcpt + p.cash)}));
    s += gap() + table(tr({th(L("현금영수증 신분확인번호")), td(h(p.cashIdNo)), th(L("현금승인번호")),
                           td(h(p.cashApprNo))}));
    s += gap() + table(tr({th(L("사업자등록번호")), td(h(d.bizNo)), th(L("상호")), td(h(d.pharmacyName))}) +
                       tr({th(L("사업장 소재지")), td(h(d.address), wide)}) +
                       tr({th(L("성명")), td(h(d.owner) + L(" (인)")), th(L("전화")), td(h(d.tel))}) +
                       tr({th(L("발행일")), td(h(d.issueDate), wide)}));
    return s + notices(d, true);
}

// ---- the receipt on a roll: one column, label and value ----

QString line(const QString& label, const QString& value) {
    return tr({td(label), td(value, L("align=\"right\""))});
}
QString rule() {
    return L("<tr><td colspan=\"2\"><hr></td></tr>");
}
QString bold(const QString& t) {
    return L("<b>") + t + L("</b>");
}
QString parts(Currency a, Currency b, Currency c) {
    return won(a) + L(" / ") + won(b) + L(" / ") + won(c);
}

QString receiptRoll(const ReceiptDocument& d) {
    const Payment& p = d.payment;
    QString s = L("<p align=\"center\"><b>") + L(kTitle) + L("</b><br>") + L(kFormNo) + L("<br>") +
                receiptNoLine(d) + L("</p>");
    QString t = line(L("환자성명"), h(d.patient)) + line(L("처방전 교부번호"), h(d.issueNo)) +
                line(L("처방 요양기관"), h(d.institution)) + line(L("처방의사"), h(d.prescriber)) +
                line(L("조제일자"), h(d.dispensingDate)) + line(L("투약일수"), h(d.days)) +
                line(L("조제약사"), h(d.pharmacist)) +
                line(L("가산 구분"), tick(d.night, "야간") + L(" ") + tick(d.holiday, "공휴")) + rule() +
                line(L("항목"), L("① / ② / ③"));
    for (const auto& r : d.rows)
        t += line(h(r.name), parts(r.bonin, r.insurer, r.bibo));
    t += rule() + line(bold(L("약제비총액 (①+②+③)")), bold(won(d.total))) +
         line(L("① 본인부담금"), won(d.bonin)) + line(L("② 보험자부담금"), won(d.insurer)) +
         line(L("③ 비급여 (전액본인부담 포함)"), won(d.bibo)) +
         line(L("&nbsp;&nbsp;전액본인부담"), won(d.full)) +
         line(bold(L("총수납금액 (①+③)")), bold(won(d.collect))) + line(L("&nbsp;&nbsp;카드"), won(p.card)) +
         line(L("&nbsp;&nbsp;현금영수증"), won(p.cashRcpt)) + line(L("&nbsp;&nbsp;현금"), won(p.cash)) +
         line(L("&nbsp;&nbsp;합계"), won(p.card + p.cashRcpt + p.cash)) +
         line(L("현금영수증 신분확인번호"), h(p.cashIdNo)) + line(L("현금승인번호"), h(p.cashApprNo)) +
         rule() + line(L("사업자등록번호"), h(d.bizNo)) + line(L("상호"), h(d.pharmacyName)) +
         line(L("사업장 소재지"), h(d.address)) + line(L("성명"), h(d.owner)) + line(L("전화"), h(d.tel)) +
         line(L("발행일"), h(d.issueDate));
    return s + table(t, false) + notices(d, true);
}

// ---- the detailed statement ----

QString kindName(const std::string& kind) {
    if (kind == "DRUG") return L("약품");
    if (kind == "DIFF") return L("약가차액");
    if (kind.rfind("SAT", 0) == 0) return L("토요가산");
    if (kind.rfind("FEE", 0) == 0) return L("조제료");
    if (kind == "FLAT") return L("정액");
    return L("조정");
}

QString quantity(double v) {
    return QString::number(v, 'g', 10);
}

QString statementHead(const ReceiptDocument& d) {
    return L("환자성명 ") + h(d.patient) + L(" · 조제일자 ") + h(d.dispensingDate) +
           L(" · 처방전 교부번호 ") + h(d.issueNo) + L("<br>처방 요양기관 ") + h(d.institution) +
           L("<br>약국 ") + h(d.pharmacyName) + L(" (") + h(d.bizNo) + L(")");
}

QString statementTotals(const ReceiptDocument& d) {
    return L("약제비총액 ") + won(d.total) + L(" = ① 본인부담금 ") + won(d.bonin) + L(" + ② 보험자부담금 ") +
           won(d.insurer) + L(" + ③ 비급여 ") + won(d.bibo) + L(" (전액본인부담 ") + won(d.full) +
           L(" 포함)");
}

QString statementA4(const ReceiptDocument& d) {
    QString s =
        L("<h2 align=\"center\">") + L(kStatementTitle) + L("</h2><p>") + statementHead(d) + L("</p>");
    QString rows = L("<thead><tr>");
    for (const char* c : {"구분", "코드", "명칭", "단가", "1회 투약량", "1일 횟수", "일수", "금액",
                          "본인부담", "공단부담", "전액본인부담", "비급여"})
        rows += th(L(c));
    rows += L("</tr></thead>");
    Currency amount, bonin, gongdan, full, bibo;
    const QString right = L("align=\"right\"");
    for (const auto& it : d.items) {
        const bool drug = it.kind == "DRUG";
        rows += tr({td(kindName(it.kind)), td(h(it.code)), td(h(it.name)), drug ? num(it.unitPrice) : td({}),
                    td(drug ? quantity(it.dose) : QString(), right),
                    td(drug ? QString::number(it.times) : QString(), right),
                    td(drug ? QString::number(it.days) : QString(), right), num(it.amount), num(it.bonin),
                    num(it.gongdan), num(it.full), num(it.bibo)});
        amount += it.amount, bonin += it.bonin, gongdan += it.gongdan, full += it.full, bibo += it.bibo;
    }
    rows +=
        tr({th(L("합계"), L("colspan=\"7\"")), num(amount), num(bonin), num(gongdan), num(full), num(bibo)});
    s += table(rows) + L("<p>") + statementTotals(d) + L("</p>");
    s += L("<p align=\"right\">발행일 ") + h(d.issueDate) + L(" · ") + h(d.pharmacyName) +
         L(" · 사업자등록번호 ") + h(d.bizNo) + L("</p>");
    return s + notices(d, false);
}

QString statementRoll(const ReceiptDocument& d) {
    QString s =
        L("<p align=\"center\"><b>") + L(kStatementTitle) + L("</b></p><p>") + statementHead(d) + L("</p>");
    QString t;
    for (const auto& it : d.items) {
        t += L("<tr><td colspan=\"2\">[") + kindName(it.kind) + L("] ") + h(it.code) + L(" ") + h(it.name) +
             L("</td></tr>");
        if (it.kind == "DRUG")
            t += line(L("&nbsp;&nbsp;") + won(it.unitPrice) + L(" × ") + quantity(it.dose) + L(" × ") +
                          QString::number(it.times) + L(" × ") + QString::number(it.days) + L("일"),
                      won(it.amount));
        else
            t += line(L("&nbsp;&nbsp;금액"), won(it.amount));
        t += line(L("&nbsp;&nbsp;본인/공단/전액/비급여"), won(it.bonin) + L(" / ") + won(it.gongdan) +
                                                              L(" / ") + won(it.full) + L(" / ") +
                                                              won(it.bibo));
    }
    t += rule() + line(bold(L("약제비총액")), bold(won(d.total))) + line(L("① 본인부담금"), won(d.bonin)) +
         line(L("② 보험자부담금"), won(d.insurer)) + line(L("③ 비급여 (전액본인부담 포함)"), won(d.bibo)) +
         line(L("&nbsp;&nbsp;전액본인부담"), won(d.full)) + rule() + line(L("발행일"), h(d.issueDate)) +
         line(L("약국"), h(d.pharmacyName));
    return s + table(t, false) + notices(d, false);
}

} // namespace

QString ReceiptHtml(const ReceiptDocument& d, ReceiptKind kind, ReceiptPaper paper) {
    const bool roll = paper == ReceiptPaper::Roll;
    const QString body = kind == ReceiptKind::Receipt ? (roll ? receiptRoll(d) : receiptA4(d))
                                                      : (roll ? statementRoll(d) : statementA4(d));
    return L("<html><body>") + body + L("</body></html>");
}

} // namespace pelmora
