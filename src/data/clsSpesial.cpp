#include "clsSpesial.h"

#include "RefSql.h"
#include "RefValue.h"

namespace pelmora {

void clsSpesial::RecordSelect(const std::string& sDate) {
    try {
        const std::string date = RefSql::dateOrToday(sDate);
        RecordSet rs = cn_.query(RefSql::spesial(), {{date, RefSql::kDateSize}, {SpeCd, RefSql::kCodeSize}});
        if (rs.eof()) {
            SpeCd.clear();
            SpeNm.clear();
            SpeGu = 0;
            FindResult = false;
            FindCount = 0;
            return;
        }
        std::string cd = refText(rs, "SpeCd"), nm = refText(rs, "SpeNm");
        std::int16_t gu = refInt16(rs, "SpeGu");
        SpeCd = std::move(cd);
        SpeNm = std::move(nm);
        SpeGu = gu;
        FindResult = true;
        FindCount = rs.recordCount();
    } catch (const RuntimeError& e) {
        showLookupError("clsSpesial : RecordSelect ", e);
    }
}

} // namespace pelmora
