#include "clsHoliday.h"

#include "RefSql.h"
#include "RefValue.h"

namespace pelmora {

void clsHoliday::RecordSelect() {
    try {
        RecordSet rs = cn_.query(RefSql::holiday(), {{HoliDt, RefSql::kDateSize}});
        if (rs.eof()) {
            HoliDt.clear();
            HoliNm.clear();
            FindResult = false;
            FindCount = 0;
            return;
        }
        std::string dt = refText(rs, "HoliDt"), nm = refText(rs, "HoliNm");
        HoliDt = std::move(dt);
        HoliNm = std::move(nm);
        FindResult = true;
        FindCount = rs.recordCount();
    } catch (const RuntimeError& e) {
        showLookupError("clsHoliday : RecordSelect ", e);
    }
}

} // namespace pelmora
