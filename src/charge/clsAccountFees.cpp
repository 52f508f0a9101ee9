// Fee-schedule pricing: the codes of the six fee items and the four
// Saturday-morning items, each priced at the amount in force on the
// dispensing date.

#include "clsAccount.h"

#include "data/RefConnection.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

namespace pelmora {

namespace {
const std::string kFeeSqlTSql = " SELECT TOP 1 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE "
                                "수가일자 <= ? AND 수가코드= ? ORDER BY 수가일자 DESC";
const std::string kFeeSqlLocal = " SELECT 수가단가, 수가명, 수가코드, 수가일자 FROM DBF심평원수 WHERE "
                                 "수가일자 <= ? AND 수가코드= ? ORDER BY 수가일자 DESC LIMIT 1";

void clear(FeeItem& item) {
    item = FeeItem{};
}
} // namespace

const std::string& clsAccount::feeLookupSql(Dialect dialect) {
    return dialect == Dialect::TSql ? kFeeSqlTSql : kFeeSqlLocal;
}

void clsAccount::price(const std::string& code, const std::string& date, FeeItem& out) {
    if (code.empty()) {
        // Nothing to bill: the name is left as the caller gave it.
        out.amount = Currency();
        out.code.clear();
        out.date.clear();
        return;
    }
    RecordSet rs = cn_->query(feeLookupSql(cn_->dialect()), {RefParam{date, 8}, RefParam{code, 10}});
    if (rs.eof()) return;
    out.amount = rs.field("수가단가").toCurrency();
    out.code = rs.field("수가코드").toText();
    out.name = rs.field("수가명").toText();
    out.date = rs.field("수가일자").toText();
}

void clsAccount::SubSooGaAcount(const FeeShape& shape, FeeSet& out) {
    try {
        const auto codes = FeeCodes::items(shape);
        for (std::size_t i = 0; i < codes.size(); ++i)
            price(codes[i], shape.date, out.item[i]);
        if (FeeCodes::saturday(shape)) {
            const auto sat = FeeCodes::saturdayItems(shape);
            for (std::size_t i = 0; i < sat.size(); ++i)
                price(sat[i], shape.date, out.saturday[i]);
        }
        const bool noLines = shape.internal == 0 && shape.external == 0 && shape.injection == 0;
        // Injections alone are not dispensed unless the patient injects them
        // himself; only the drug management fee stays.
        const bool injectionOnly =
            shape.internal == 0 && shape.external == 0 && shape.injection != 0 && shape.selfInjection != 1;
        if (noLines || injectionOnly) {
            for (std::size_t i = 0; i < 5; ++i)
                clear(out.item[i]);
            if (noLines) clear(out.item[5]);
            for (auto& s : out.saturday)
                clear(s);
        }
    } catch (const RuntimeError& e) {
        if (!ReportedError)
            ReportedError = errorText("clsAcount:SubSooGaAcount", e.number(), e.description());
        ShowError("clsAcount:SubSooGaAcount", e);
    }
}

} // namespace pelmora
