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

// The chart's series and axes, made once and then given new values: making
// them anew costs the chart a whole new layout.
struct Parts {
    QStackedBarSeries* series;
    QBarSet *bonin, *insurer, *bibo;
    QBarCategoryAxis* x;
    QValueAxis* y;
};

Parts partsOf(QChart& chart) {
    if (!chart.series().isEmpty()) {
        auto* series = static_cast<QStackedBarSeries*>(chart.series().first());
        const auto sets = series->barSets();
        return {series,
                sets[0],
                sets[1],
                sets[2],
                static_cast<QBarCategoryAxis*>(chart.axes(Qt::Horizontal).first()),
                static_cast<QValueAxis*>(chart.axes(Qt::Vertical).first())};
    }
    Parts p{new QStackedBarSeries,
            new QBarSet(QStringLiteral("본인부담")),
            new QBarSet(QStringLiteral("보험자부담")),
            new QBarSet(QStringLiteral("비급여")),
            new QBarCategoryAxis,
            new QValueAxis};
    p.bonin->setColor(QColor(0x3b, 0x7d, 0xd8));
    p.insurer->setColor(QColor(0x7f, 0xb8, 0x5a));
    p.bibo->setColor(QColor(0xe8, 0x9a, 0x3c));
    p.series->append(p.bonin);
    p.series->append(p.insurer);
    p.series->append(p.bibo);
    p.series->setBarWidth(0.8);
    chart.addSeries(p.series);
    chart.addAxis(p.x, Qt::AlignBottom);
    p.series->attachAxis(p.x);
    p.y->setLabelFormat(QStringLiteral("%.0f"));
    p.y->setTitleText(QStringLiteral("천원"));
    chart.addAxis(p.y, Qt::AlignLeft);
    p.series->attachAxis(p.y);
    chart.legend()->setAlignment(Qt::AlignBottom);
    return p;
}
} // namespace

void FillTotalsChart(QChart& chart, const StoreTotals& totals, QDate from, QDate to) {
    if (!from.isValid() || !to.isValid() || from > to) return;
    const std::vector<Bucket> bars = buckets(totals, from, to);
    const Parts p = partsOf(chart);
    QList<qreal> bonin, insurer, bibo;
    QStringList labels;
    double top = 0;
    for (const auto& b : bars) {
        bonin << thousands(b.sums.bonin);
        insurer << thousands(b.sums.insurer);
        bibo << thousands(b.sums.bibo);
        labels << b.label;
        top = std::max(top, thousands(b.sums.total));
    }
    for (auto [set, values] : {std::pair{p.bonin, &bonin}, {p.insurer, &insurer}, {p.bibo, &bibo}}) {
        if (set->count() == values->size()) {
            for (int i = 0; i < values->size(); ++i)
                set->replace(i, (*values)[i]);
        } else {
            set->remove(0, set->count());
            set->append(*values);
        }
    }
    if (p.x->categories() != labels) p.x->setCategories(labels);
    p.x->setLabelsAngle(labels.size() > 31 ? -90 : 0);
    p.y->setRange(0, top > 0 ? top * 1.08 : 1);
    p.y->applyNiceNumbers();
    chart.setTitle(from.daysTo(to) < kChartDaysMax ? QStringLiteral("일별 약제비총액")
                                                   : QStringLiteral("월별 약제비총액"));
}

} // namespace pelmora
