#pragma once
// The settings file Data/Pelmora.ini: where the central server is and how to
// log in to it. Nothing secret is compiled into the program; without a host
// there is no central server and the program works from the local files.
//
//   [Server]
//   Host=db.example.local
//   Port=1433
//   Login=sa
//   Password=...
//   LoginTimeout=5
//   TdsVersion=7.4

#include <iosfwd>
#include <string>

namespace pelmora {

struct Settings {
    std::string host;
    int port = 1433;
    std::string login = "sa";
    std::string password;
    int loginTimeout = 5; // seconds
    std::string tdsVersion = "7.4";

    bool serverConfigured() const { return !host.empty(); }

    // Reads the file; a missing file gives the defaults. Lines that cannot be
    // read are reported on warnings and skipped. A file other users may read
    // is reported there once per run, since it holds the server's password.
    static Settings load(const std::string& path, std::ostream& warnings);
    static Settings parse(const std::string& text, std::ostream& warnings);
};

} // namespace pelmora
