#include "clsHosp.h"

#include "RefSql.h"
#include "RefValue.h"

namespace pelmora {

void clsHosp::RecordSelect(const std::string& sDate) {
    try {
        const std::string date = RefSql::dateOrToday(sDate);
        RecordSet rs =
            cn_.query(RefSql::hosp(),
                      {{HospCd, RefSql::kCodeSize}, {date, RefSql::kDateSize}, {date, RefSql::kDateSize}});
        if (rs.eof()) {
            HospCd.clear();
            HospAddr.clear();
            HospGu.clear();
            HospPer = "30"; // the share rate of an ordinary pharmacy visit
            FindResult = false;
            FindCount = 0;
            return;
        }
        std::string cd = refText(rs, "HospCd"), addr = refText(rs, "HospAddr");
        std::string gu = refText(rs, "HospGu"), per = refText(rs, "HospPer");
        HospCd = std::move(cd);
        HospAddr = std::move(addr);
        HospGu = std::move(gu);
        HospPer = std::move(per);
        FindResult = true;
        FindCount = rs.recordCount();
    } catch (const RuntimeError& e) {
        showLookupError("clsHosp : RecordSelect ", e);
    }
}

} // namespace pelmora
