#pragma once
// Runs an SQL script through the server's command-line client. The script
// and the client's output live in a private folder made for the one run and
// removed afterwards; the password reaches the client on its standard input,
// never on its command line or in a file; the client runs in a session of
// its own (so it cannot ask the terminal) and is stopped when it outlives
// the time-out.

#include <string>
#include <vector>

namespace pelmora {

struct ScriptRun {
    bool finished = false; // the client ran and ended by itself
    int exitCode = -1;
    bool timedOut = false;
    std::string output; // the client's output lines, joined with CR LF
    std::string error;  // why it could not run, when it could not
};

class KvAdoScriptRunner {
  public:
    std::string client = "tsql";
    int timeoutSeconds = 600;

    // Writes the script to KVgoDbHdl.sql in the private folder and runs
    // client -H host -p port -U user -o q with the password line followed by
    // the script on its standard input; its output goes to KVgoDbHdl.TXT.
    ScriptRun run(const std::string& host, int port, const std::string& user, const std::string& password,
                  const std::string& script) const;
};

} // namespace pelmora
