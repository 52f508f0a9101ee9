#pragma once
// Where pelmora-calc takes an ODBC connection string from. The string may
// carry the server's password, so it can be read from a file or from an
// environment variable instead of the command line, where every user of the
// machine can read it; and a connection through the TDS driver that names no
// protocol version gets the program's pinned one, so a silent server fails
// within the login time-out instead of hanging.

#include <iosfwd>
#include <string>

namespace pelmora::calc {

// The connection string in file: its first line that is not empty, without
// the surrounding blanks. Warns on warn when others than its owner may read
// the file. Raises std::runtime_error (a Korean message) when it cannot.
std::string connectionFromFile(const std::string& file, std::ostream& warn);
// The connection string in the environment variable name; raises when the
// variable is not set or empty.
std::string connectionFromEnvironment(const std::string& name);
// What --odbc on the command line tells the user.
const char* commandLineWarning();

// The connection string with ";TDS_Version=<pinned>" added when its DRIVER
// is the TDS driver and it names no TDS version; any other string as given.
std::string withPinnedTdsVersion(const std::string& connection);

} // namespace pelmora::calc
