#pragma once
// The in-house utility class: value defaulting, won rounding, number words,
// Hangul-aware strings measured in CP949 bytes, dates, files, folders and
// system queries. One program-wide instance, created on first use (kvfun()).
//
// Every helper takes any text (empty, blanks, Hangul, letters among digits,
// very long) without reading out of range. Where a conversion has to fail it
// raises the runtime's error (RuntimeError: 13 type mismatch, 6 overflow,
// 5 invalid procedure call), never a made-up number. File and folder helpers
// never throw; they report failure in their result. Paths may use "\" or "/".

#include "Currency.h"
#include "Variant.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class KVFun {
  public:
    // ---- numbers and money ----

    // Empty, Null, blank text or a missing value (nullopt) give the Integer 0,
    // or "" with EQKind 1. EQKind 1: the trimmed text. Numeric values: EQKind 2
    // the number read from the start of the text ("1,234" gives 1), EQKind 3 the
    // double ("1,234" gives 1234), any other EQKind money. Anything else comes
    // back unchanged.
    Variant Nz(const std::optional<Variant>& value, std::int32_t EQKind = 0) const;
    // Kind 1 half up, 2 always up, 3 always down (all away from / toward zero on
    // the whole part) at `digits` low-order digits. Values above 999,999,999 or
    // digits below 1: the value rounded half to even. Overflow past a Long.
    std::int32_t NBRound(double value, std::int32_t kind, std::int32_t digits) const;
    // As NBRound, at `digits` decimals (negative digits: tens, hundreds, …),
    // keeping the decimals; another kind leaves the value as it is.
    double NBRound_Dbl(double value, std::int32_t kind, std::int32_t digits) const;
    // The amount rounded to whole won (halves away from zero) with the last one /
    // two digits cleared; negative amounts are cut toward zero as well.
    Currency NB1WonCut(Currency cCurrency) const;
    Currency NB10WonCut(Currency cCurrency) const;
    // b as a whole percent of a, rounded down; 100 when either is 0.
    double NBPercent(std::int32_t a, std::int32_t b) const;
    // The amount in Korean words ending in "원정" ("일만이천원정"); thousands
    // separators and decimals are dropped. "" when it is not a number or past
    // the 조 groups.
    std::string NBHanGul(std::string_view amount) const;
    std::string NBHanGul(Currency amount) const;
    // EQKind 1: an 8-character date text as YYYY-MM-DD; otherwise Nz of the
    // value with thousands separators and no decimals (text that is not a number
    // comes back as it is).
    std::string SRFormat(const Variant& xValue, std::int32_t EQKind = 0) const;

    // ---- Hangul-aware strings (CP949 bytes; a syllable cut in half is dropped) ----

    std::int32_t SRLenH(std::string_view strString) const;
    std::string SRLeftH(std::string_view strString, std::int32_t lngLength) const;
    std::string SRRightH(std::string_view strString, std::int32_t lngLength) const;
    // From byte lngStart (1-based), lngLength bytes or to the end.
    std::string SRMidH(std::string_view strString, std::int32_t lngStart,
                       std::optional<std::int32_t> lngLength = std::nullopt) const;
    // Byte position (1-based) of cFindString, 0 when absent.
    std::int32_t SRFindStr(std::string_view AllString, std::string_view cFindString) const;
    // nText filled with blanks to exactly nSpace bytes (cut when longer, except
    // money, which is never cut); ChkMoney formats it as money first.
    std::string SRMidSpc(std::string_view nText, std::int32_t nSpace, bool ChkMoney = false,
                         bool ChkRightAlign = false) const;
    // Sorts the rows by their first column (byte order, stable); AryQur, when
    // given with as many entries, is reordered along with them.
    void ArySort_1St_STR(std::vector<std::vector<std::string>>& Ary,
                         std::vector<std::string>* AryQur = nullptr) const;

    // ---- dates ----

    // The value of an empty date field ("00:00:00").
    static constexpr std::chrono::year_month_day kNullDate{std::chrono::year{1899}, std::chrono::month{12},
                                                           std::chrono::day{30}};

    // 8 digits once every "-" is removed (longer text: its first 8), forming a
    // real date; "", blanks and "00:00:00" are not dates.
    bool IsValidYYYYMMDD(std::string_view value) const;
    // YYYY, sep, MM, sep, DD; "0000", sep, "00", sep, "00" when it is not 8 digits.
    std::string ToYYYYMMDD(std::string_view value, std::string_view bAddHyphen = "") const;
    // The date, or today (kNullDate with bPVDate2Null) when it is not one.
    std::chrono::year_month_day ToDate(std::string_view value, bool bPVDate2Null = false) const;
    // HHMMSS or HH:MM:SS forming a time of day.
    bool IsValidTime(std::string_view value) const;
    // The Korean weekday name ("일요일" … "토요일"); "" for an invalid date.
    std::string DDHanGul(std::chrono::year_month_day NowDate) const;
    // The month's last day as "dd"; "" when year or month is invalid.
    std::string DDLastDay(std::chrono::year_month_day NowDate) const;
    // The first day of the month before / after; an invalid month counts as today's.
    std::chrono::year_month_day DDPreviousMonth(std::chrono::year_month_day NowDate) const;
    std::chrono::year_month_day ProcNextMonth(std::chrono::year_month_day cDateValue) const;

    // ---- files and folders ----

    enum FileAttribute : std::int32_t {
        Normal = 0,
        ReadOnly = 1,
        Hidden = 2,
        System = 4,
        Volume = 8,
        Directory = 16,
        Archive = 32,
        Alias = 64
    };

    bool FileExist(std::string_view FileName) const;
    std::string FileGetPath(std::string_view FileName) const;
    std::string FileGetFileName(std::string_view FileName) const;
    std::string FileGetFileNameNonExtension(std::string_view FileName) const;
    // The file's lines (without line ends) into cAry. WaitingCreate first waits
    // for the file to appear, at most maxWait, so a command that never writes
    // its output cannot hang the program.
    bool FileLoadStr(std::vector<std::string>& cAry, std::string_view FileName, bool WaitingCreate = false,
                     std::chrono::milliseconds maxWait = std::chrono::seconds(30)) const;
    // Writes the text exactly as given (appends with AddMode), creating the
    // folder MkDirName first when given.
    bool FileWriteStr(std::string_view FileName, std::string_view WriteString,
                      std::string_view MkDirName = "", bool AddMode = false) const;
    bool FileCopy(std::string_view source, std::string_view destination, bool ChkOverWrite = false) const;
    bool FileMove(std::string_view source, std::string_view destination, bool ChkOverWrite = false) const;
    bool FileDelete(std::string_view FileName) const;
    bool DirMake(std::string_view DirName) const;      // one level; true when it exists afterwards
    bool DirMake_Auto(std::string_view DirName) const; // with every missing parent
    bool DirDelete(std::string_view DirName) const;    // an empty folder only: nothing is lost
    // "512B ", "12KB", "3.4MB"; "" when there is no such file.
    std::string FileSizeGet_Byte(std::string_view FileName) const;
    // FileAttribute bits: ReadOnly = no write permission for the owner, Hidden =
    // the name starts with ".", Directory, Alias = symbolic link. -1 when absent.
    std::int32_t FileTypeGet(std::string_view FilePathName) const;
    // Sets ReadOnly (all write permissions removed / owner write given back) and
    // Hidden (renames to and from a leading "."; the new path goes to
    // newPathName). The other bits have no POSIX meaning and are ignored.
    bool FileTypeSet(std::string_view FilePathName, std::int32_t EQType,
                     std::string* newPathName = nullptr) const;
    // The attribute by name: "Normal", "ReadOnly", "Hidden", … ; false for an unknown name.
    bool FileTypeSet(std::string_view FilePathName, std::string_view EQType,
                     std::string* newPathName = nullptr) const;
    // Last change as "YYYY-MM-DD HH:MM:SS" local time; "" when absent.
    std::string FileDateGet(std::string_view FilePathName) const;

    // ---- programs and system ----

    // Opens the file with the desktop's default program, without waiting.
    bool FileOpenEXE(std::string_view xPath) const;
    // Runs the command line (program and arguments split at blanks, "…" keeps
    // blanks; no shell) and waits; its exit code, -1 when it could not run.
    int FileOpenEXEWait(std::string_view RunCommand) const;
    void SleepX(double seconds) const;
    std::string SysComName() const;
    std::string SysDir() const;    // the system libraries folder
    std::string SysWinDir() const; // the system's root folder
    std::string SysUserName() const;
    std::string SysWinVer() const; // kernel name and release
    // Bytes free for this user on the disk holding path; -1 on failure.
    std::int64_t DiskSpaceGet(std::string_view path = "/") const;
    bool SetCurrentDir(std::string_view sPath) const;
    std::string GetCurrentDir() const;
};

// The program-wide instance.
KVFun& kvfun();

} // namespace pelmora
