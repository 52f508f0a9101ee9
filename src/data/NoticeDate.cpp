#include "NoticeDate.h"

#include "RefSql.h"
#include "RefValue.h"

namespace pelmora {

std::string GetNoticeDate(RefConnection& cn) {
    try {
        RecordSet rs = cn.query(RefSql::noticeDate(cn.dialect()), {});
        if (rs.eof()) return "20000101";
        std::string date = refText(rs, "고시적용일");
        return date.empty() ? "20000101" : date;
    } catch (const RuntimeError& e) {
        showLookupError("clsYakGa : YakGaDate ", e);
        return "";
    }
}

bool HasDrugList(RefConnection& cn) {
    try {
        const bool local = cn.dialect() == Dialect::Local;
        RecordSet rs = cn.query(local ? "SELECT 1 FROM DBF심평원약 LIMIT 1" : "SELECT TOP 1 1 FROM DBF심평원약", {});
        return !rs.eof();
    } catch (const RuntimeError&) {
        return true;
    }
}

} // namespace pelmora
