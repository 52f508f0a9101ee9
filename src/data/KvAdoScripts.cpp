// The three script operations of KvAdo, run through the server's
// command-line client with the login of the last server connection.

#include "KvAdo.h"
#include "KvAdoScriptRunner.h"

#include "util/NumericText.h"

#include <cctype>

namespace pelmora {

namespace {
std::string quoted(const std::string& v) {
    std::string out = "'";
    for (char c : v)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

bool plainName(const std::string& s) {
    if (s.empty()) return false;
    for (unsigned char c : s)
        if (!(std::isalnum(c) || c == '_' || c >= 0x80)) return false;
    return true;
}
} // namespace

std::string KvAdo::runScript(const std::string& script, bool* ok) {
    if (ok) *ok = false;
    const auto& info = ConnInfo();
    if (info.Kind != 1 || info.SqlServer.empty()) {
        unsupported("script");
        return "";
    }
    KvAdoScriptRunner runner;
    runner.client = ScriptClient;
    runner.timeoutSeconds = ScriptTimeOut;
    auto [host, port] = serverAndPort(info.SqlServer);
    ScriptRun r = runner.run(host, port, info.SqlUserId, info.SqlPassword, script);
    if (!r.finished) {
        fail(dberr::kConnection, r.error);
        return r.output;
    }
    if (ok) *ok = r.exitCode == 0;
    if (r.exitCode != 0) fail(dberr::kStatementFailed, r.output);
    return r.output;
}

std::string KvAdo::DBSqlATTACH(const std::string& nDBName, const std::string& nDataPath) {
    return runScript("exec sp_attach_db " + quoted(nDBName) + "," + quoted(nDataPath) + "\r\nGO\r\n",
                     nullptr);
}

std::string KvAdo::DBSqlDeTTACH(const std::string& DBName) {
    return runScript("exec sp_detach_db " + quoted(DBName) + "\r\nGO\r\n", nullptr);
}

bool KvAdo::DBSQLReduction(long nSection, const std::string& nValue, std::string* ReturnStr) {
    const std::string& db = ConnInfo().SqlDatabase;
    if (!plainName(db) || !isNumericText(nValue))
        return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string value(trimSpaces(nValue));
    std::string script =
        (nSection == 0 ? "DBCC SHRINKDATABASE (" : "DBCC SHRINKFILE (") + db + "," + value + ")\r\nGO\r\n";
    bool ok = false;
    std::string out = runScript(script, &ok);
    if (ReturnStr) *ReturnStr = out;
    return ok;
}

} // namespace pelmora
