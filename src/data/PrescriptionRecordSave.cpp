// Saving a prescription: the header and all its lines in one immediate
// transaction, or nothing at all.

#include "PrescriptionRecord.h"

#include "clsMain.h"
#include "clsSub.h"
#include "util/Messages.h"
#include "util/RuntimeError.h"

namespace pelmora {

namespace {

constexpr const char* kNewPrescription = "0000000000";

bool isStored(SqliteConnection& cn, const std::string& preCd) {
    return !cn.query("select vcPreCd from Main where vcPreCd=?", {Variant(preCd)}).eof();
}

// A window routine's own failure: the description alone, OK only.
void showRoutineError(const RuntimeError& e) {
    messages().plain(e.description(), kAppTitle);
}

} // namespace

PrescriptionRecord::SaveResult PrescriptionRecord::Save(SqliteConnection& cn) const {
    SaveResult result;
    bool began = false;
    // Whatever failed, nothing of this save stays in the store, so the
    // pharmacist is always told that the prescription was not saved.
    auto fail = [&](SaveFailure why) {
        if (began) cn.rollback(); // never a transaction this save did not begin
        if (why == SaveFailure::Line)
            messages().information("약품을 저장하다 오류가 발생하였습니다.", "약품오류");
        messages().information("처방전 저장에 실패하였습니다.", "저장실패");
        result = SaveResult{false, std::string(), why};
        return result;
    };

    try {
        // Immediate: the key is allocated and the header checked under the
        // write lock, so neither another running copy nor the history window
        // can change them before the lines are written.
        cn.begin(true);
        began = true;
        // A loaded prescription deleted meanwhile is stored as a new one:
        // lines under a header that is gone could never be listed or deleted.
        const bool insert =
            lab조제코드.empty() || lab조제코드 == kNewPrescription || !isStored(cn, lab조제코드);

        clsMain m(cn);
        fillHeader(m, insert ? std::string() : lab조제코드, insert);
        m.Update();
        if (!m.ChangeMode) return fail(SaveFailure::Header);
        const std::string preCd = m.PreCd;

        if (!insert) {
            clsSub old(cn);
            old.PreCd = preCd;
            old.csTrans_YN = true;
            old.RecoardInsMode = 3;
            old.Update();
            if (!old.ChangeMode) return fail(SaveFailure::Line);
        }

        bool anyLine = false;
        for (const PrescriptionLine& row : lines) {
            clsSub s(cn);
            s.PreCd = preCd;
            try {
                if (!fillLine(row, s, pricingStored)) continue;
            } catch (const RuntimeError& e) {
                // A cell that is no number: the line cannot be stored as shown.
                showRoutineError(e);
                return fail(SaveFailure::Line);
            }
            s.Update();
            if (!s.ChangeMode) return fail(SaveFailure::Line);
            anyLine = true;
        }
        if (!anyLine) return fail(SaveFailure::NoLines);
        saveCharge(cn, preCd);

        cn.commit();
        result.saved = true;
        result.PreCd = preCd;
        return result;
    } catch (const RuntimeError& e) {
        // The store could not be locked, read or committed, or the amount to
        // collect is no number.
        showRoutineError(e);
        return fail(SaveFailure::Header);
    }
}

} // namespace pelmora
