#include "ReceiptNumber.h"

#include "util/RuntimeError.h"

#include <cstdio>

namespace pelmora {

ReceiptIssue IssueReceipt(SqliteConnection& cn, const std::string& preCd, const std::string& year) {
    RecordSet rs = cn.query("SELECT vcRcptNo, iRcptCnt FROM Charge WHERE vcPreCd=?", {Variant(preCd)});
    if (rs.eof()) throw RuntimeError(5, "영수증을 발행할 계산 금액이 저장되어 있지 않습니다.");
    ReceiptIssue r;
    r.receiptNo = rs.field("vcRcptNo").isNull() ? std::string() : rs.field("vcRcptNo").toText();
    const std::int32_t printed = rs.field("iRcptCnt").isNull() ? 0 : rs.field("iRcptCnt").toInt32();
    r.reissue = printed > 0 || !r.receiptNo.empty();
    r.count = printed + 1;
    if (r.receiptNo.empty()) {
        RecordSet seq = cn.query("SELECT iLastNo FROM ReceiptSeq WHERE vcYear=?", {Variant(year)});
        const std::int32_t next = seq.eof() || seq.field(0).isNull() ? 1 : seq.field(0).toInt32() + 1;
        if (seq.eof())
            cn.execute("INSERT INTO ReceiptSeq(vcYear, iLastNo) VALUES(?, ?)",
                       {Variant(year), Variant(next)});
        else
            cn.execute("UPDATE ReceiptSeq SET iLastNo=? WHERE vcYear=?", {Variant(next), Variant(year)});
        char buf[32];
        std::snprintf(buf, sizeof buf, "%s-%06d", year.c_str(), static_cast<int>(next));
        r.receiptNo = buf;
    }
    cn.execute("UPDATE Charge SET vcRcptNo=?, iRcptCnt=? WHERE vcPreCd=?",
               {Variant(r.receiptNo), Variant(r.count), Variant(preCd)});
    return r;
}

} // namespace pelmora
