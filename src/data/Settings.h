#pragma once
// The settings file Data/Pelmora.ini: where the central server is and how to
// log in to it, and the pharmacy's own details for its receipts. Nothing
// secret is compiled into the program; without a host there is no central
// server and the program works from the local files. Sections other parts of
// the program own are left to them.
//
//   [Server]
//   Host=db.example.local
//   Port=1433
//   Login=sa
//   Password=...
//   LoginTimeout=5
//   TdsVersion=7.4
//   [Pharmacy]
//   Name=행복약국
//   BizNo=1234567891
//   Address=서울특별시 ...
//   Owner=홍길동
//   Tel=02-123-4567
//   Pharmacist=홍길동
//   ReceiptPaper=A4            (or 80mm)

#include <iosfwd>
#include <string>

namespace pelmora {

class IniFile;

// The pharmacy as its receipts name it.
struct Pharmacy {
    std::string name;         // 상호
    std::string bizNo;        // 사업자등록번호, ten digits
    std::string address;      // 사업장 소재지
    std::string owner;        // 대표자 성명
    std::string tel;          // 전화
    std::string pharmacist;   // 조제약사 unless another is chosen
    std::string paper = "A4"; // receipt paper: "A4" or "80mm"

    friend bool operator==(const Pharmacy&, const Pharmacy&) = default;
};

struct Settings {
    std::string host;
    int port = 1433;
    std::string login = "sa";
    std::string password;
    int loginTimeout = 5; // seconds
    std::string tdsVersion = "7.4";
    Pharmacy pharmacy;

    bool serverConfigured() const { return !host.empty(); }

    // Reads the file; a missing file gives the defaults. Lines that cannot be
    // read are reported on warnings and skipped. A file other users may read
    // is reported there once per run, since it holds the server's password.
    static Settings load(const std::string& path, std::ostream& warnings);
    static Settings parse(const std::string& text, std::ostream& warnings);
    // Puts the pharmacy's details into the file's text, every other line kept.
    static void storePharmacy(IniFile& ini, const Pharmacy& p);
};

} // namespace pelmora
