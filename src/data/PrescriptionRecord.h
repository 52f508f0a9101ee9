#pragma once
// The prescription as the main window holds it, without the window: the
// header fields as the widgets give them and the drug grid's rows as raw cell
// values. Save writes it into the local store as one header and its lines in
// one transaction; Load reads a stored one back, each line re-read against the
// current drug price list.
//
// The window reads its widgets into a record and calls Save, or calls Load and
// writes the record back with bLoading set; the question before a save, the
// age class, the time class and the special-code rates stay with the window.

#include "RefConnection.h"
#include "SqliteConnection.h"
#include "StoredCharge.h"
#include "util/Currency.h"
#include "util/Variant.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace pelmora {

class clsMain;
class clsSub;

// One row of sp처방: columns 1 to 16 as the grid holds them. Columns 7
// (coverage) and 8 (route) hold the combo's selected index.
struct PrescriptionLine {
    static constexpr int kCols = 16;
    std::array<Variant, kCols> cells{};

    Variant& cell(int col) { return cells.at(static_cast<std::size_t>(col - 1)); }
    const Variant& cell(int col) const { return cells.at(static_cast<std::size_t>(col - 1)); }
};

struct PrescriptionRecord {
    // The caption of lab조제코드: empty for a new prescription, "0000000000"
    // for one to be stored as new, else the stored code it was loaded from.
    std::string lab조제코드;

    std::string pvd조제일자;  // YYYYMMDD ("-" allowed, removed on save)
    std::string pvt조제시간;  // the time as shown, "9:05:07" or "09:05:07"
    int cmb본인부담여부 = 0;  // selected index; 0 is "no patient-share code"
    std::string 본인부담코드; // text of the selected entry ("M003"); on load the stored code, "" for none
    std::string txt요양기관번호, txt요양기관명, txt의사명, txt면허번호, txt고객명, txt주민번호;
    int cmb보험종류 = 0;
    std::string txt상병기호1, txt상병기호2;
    std::string pvd발행일자; // YYYYMMDD
    std::string txt교부번호;
    std::string txt특정기호1, txt특정기호2;
    int pvn사용기간 = 0;
    Variant 받을금액; // sp계산 row 13, column 2
    // What the prescription was priced with besides the fields above: the
    // after-hours and age class indices, the two check boxes and the
    // captions of the two rate labels. pricingStored says the record carries
    // them and its lines their cells as priced (columns 6, 9, 13 to 16): the
    // window's always do, so they are written; a prescription saved before
    // they were kept, or made without the window, leaves them to be derived.
    int cmb시간외 = 0, cmb연령 = 0;
    bool chk자가투여주사 = false, chk비급여조제료 = false;
    std::string lab특정기호1, lab특정기호2;
    bool pricingStored = false;

    std::vector<PrescriptionLine> lines; // sp처방 rows in grid order
    // The figures of the pricing run on screen, stored with the prescription
    // in the same transaction; without them any figures stored before are
    // dropped, since they no longer describe what is saved.
    std::optional<StoredCharge> charge;

    // ---- saving ----
    enum class SaveFailure {
        None,
        Header,  // the header could not be written (or the store could not be written at all)
        Line,    // a drug line (or the removal of the old lines) could not be written
        NoLines, // no grid row carries a drug code
    };
    struct SaveResult {
        bool saved = false;
        std::string PreCd; // the code the prescription is stored under
        SaveFailure failure = SaveFailure::None;
    };
    // Writes the header and every row with a drug code, all or nothing, under
    // one immediate transaction on cn. A loaded prescription that is no longer
    // stored is saved as a new one. Failures show their boxes here; the store
    // is then as it was.
    SaveResult Save(SqliteConnection& cn) const;

    // Writes or drops the stored figures under preCd, inside Save's transaction.
    void saveCharge(SqliteConnection& cn, const std::string& preCd) const;
    // The header and line properties as saving writes them (no store access).
    void fillHeader(clsMain& m, const std::string& preCd, bool insert) const;
    // False when the row carries no drug code and is not stored.
    static bool fillLine(const PrescriptionLine& row, clsSub& s, bool withCells);

    // ---- loading ----
    enum class LoadOutcome { Loaded, NotFound, Failed };
    // Reads the prescription stored under code into this record (lab조제코드
    // = code), each line against the price list on ref at the dispensing date:
    // a line saved with its cells gets them back as they were priced, an
    // older one has them derived from the price list.
    // NotFound leaves the record empty (the window resets); Failed has shown
    // the error.
    LoadOutcome Load(SqliteConnection& cn, RefConnection& ref, const std::string& code);
    void takeHeader(const clsMain& m);
};

// The stored time HHMMSS from the time as shown: ":" removed, "0" put in
// front, the last 6 characters kept ("9:05:07" gives "090507").
std::string PreTmFromTime(const std::string& shown);
// The stored time as shown, "HH:MM:SS" ("90507" gives "09:05:07").
std::string TimeFromPreTm(const std::string& stored);
// The issue date and number as stored (date + number) and back: the first 8
// characters are the date, what follows is the issue number.
std::string PubDtNoOf(const std::string& date, const std::string& issueNo);
void SplitPubDtNo(const std::string& pubDtNo, std::string& date, std::string& issueNo);

} // namespace pelmora
