#include "TotalsChart.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QStackedBarSeries>
#include <QValueAxis>

#include <map>

namespace pelmora {

namespace {
// Drawing only: the amounts are exact until here.
double thousands(Currency c) {
    return c.toDouble() / 1000.0;
}

struct Bucket {
    QString label;
    ChargeSums sums;
};

std::vector<Bucket> buckets(const StoreTotals& t, QDate from, QDate to) {
    const bool daily = from.daysTo(to) < kChartDaysMax;
    const bool oneMonth = from.year() == to.year() && from.month() == to.month();
    std::map<QString, ChargeSums> byKey;
    for (const auto& d : t.days) {
        const QDate date = QDate::fromString(QString::fromStdString(d.date), QStringLiteral("yyyyMMdd"));
        byKey[date.toString(daily ? QStringLiteral("yyyyMMdd") : QStringLiteral("yyyyMM"))] += d.sums;
    }
    std::vector<Bucket> out;
    if (daily) {
        for (QDate d = from; d <= to; d = d.addDays(1))
            out.push_back({d.toString(oneMonth ? QStringLiteral("d") : QStringLiteral("M/d")),
                           byKey[d.toString(QStringLiteral("yyyyMMdd"))]});
    } else {
        for (QDate m(from.year(), from.month(), 1); m <= to; m = m.addMonths(1))
            out.push_back({m.toString(QStringLiteral("yy.M")), byKey[m.toString(QStringLiteral("yyyyMM"))]});
    }
    return out;
}
} // namespace

void FillTotalsChart(QChart& chart, const StoreTotals& totals, QDate from, QDate to) {
    chart.removeAllSeries();
    for (QAbstractAxis* a : chart.axes())
        chart.removeAxis(a);
    if (!from.isValid() || !to.isValid() || from > to) return;
    const std::vector<Bucket> bars = buckets(totals, from, to);

    auto* bonin = new QBarSet(QStringLiteral("본인부담"));
    auto* insurer = new QBarSet(QStringLiteral("보험자부담"));
    auto* bibo = new QBarSet(QStringLiteral("비급여"));
    bonin->setColor(QColor(0x3b, 0x7d, 0xd8));
    insurer->setColor(QColor(0x7f, 0xb8, 0x5a));
    bibo->setColor(QColor(0xe8, 0x9a, 0x3c));
    QStringList labels;
    double top = 0;
    for (const auto& b : bars) {
        bonin->append(thousands(b.sums.bonin));
        insurer->append(thousands(b.sums.insurer));
        bibo->append(thousands(b.sums.bibo));
        labels << b.label;
        top = std::max(top, thousands(b.sums.total));
    }
    auto* series = new QStackedBarSeries;
    series->append(bonin);
    series->append(insurer);
    series->append(bibo);
    series->setBarWidth(0.8);
    chart.addSeries(series);

    auto* x = new QBarCategoryAxis;
    x->append(labels);
    x->setLabelsAngle(labels.size() > 31 ? -90 : 0);
    chart.addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    auto* y = new QValueAxis;
    y->setRange(0, top > 0 ? top * 1.08 : 1);
    y->setLabelFormat(QStringLiteral("%.0f"));
    y->setTitleText(QStringLiteral("천원"));
    y->applyNiceNumbers();
    chart.addAxis(y, Qt::AlignLeft);
    series->attachAxis(y);
    chart.setTitle(from.daysTo(to) < kChartDaysMax ? QStringLiteral("일별 약제비총액")
                                                   : QStringLiteral("월별 약제비총액"));
    chart.legend()->setAlignment(Qt::AlignBottom);
}

} // namespace pelmora
