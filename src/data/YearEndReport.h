#pragma once
// The year's medical expenses per patient for the income-tax year-end
// settlement: per resident number, the patient's name, the prescriptions of
// the year and what the patient paid (본인부담 + 비급여). Patients who asked
// not to be reported are kept in table NoReport and left out.
//
// A prescription saved before the stored figures existed counts with its
// 받을금액 (Main.mMoneyPr), which is the same ① + ③ the receipt showed.

#include "SqliteConnection.h"
#include "util/Currency.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

struct PatientYear {
    std::string jumNo; // the resident number, digits only
    std::string name;  // as written on the patient's latest prescription of the year
    long long count = 0;
    Currency paid; // 본인부담 + 비급여
};

struct YearEndReport {
    std::vector<PatientYear> patients; // by name, then resident number
    long long optedOut = 0;            // patients left out at their request
    long long withoutNumber = 0;       // prescriptions without a resident number
    Currency paid;                     // the patients' sum
};

YearEndReport ReadYearEnd(SqliteConnection& cn, int year);

// The form the opt-out marks and the report key a resident number by: its
// digits, so "900101-1234567" and "9001011234567" are one patient.
std::string ReportJumNo(std::string_view jumNo);

// The patient's opt-out mark. Setting it on or off writes at once; a number
// without digits is never marked (false).
bool IsNoReport(SqliteConnection& cn, std::string_view jumNo);
bool SetNoReport(SqliteConnection& cn, std::string_view jumNo, bool noReport, const std::string& now);

} // namespace pelmora
