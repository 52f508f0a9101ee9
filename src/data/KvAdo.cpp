#include "KvAdo.h"

#include "util/Messages.h"

namespace pelmora {

ConnInfoRecord& ConnInfo() {
    static ConnInfoRecord info;
    return info;
}

std::string mdbConnectionString(const std::string& path, const std::string& password, long version) {
    std::string v = version == 0 ? "4.0" : "3.51";
    return "Provider=Microsoft.Jet.OLEDB." + v + ";Persist Security Info=True" + ";Data Source=" + path +
           ";jet oledb" + ":database Password=" + password;
}

namespace {
std::string providerFor(long sqlVersion) {
    switch (sqlVersion) {
    case 1:
        return "Provider=SQLNCLI.1;";
    case 2:
        return "Provider=SQLNCLI10.1;";
    case 3:
        return "Provider=SQLNCLI11.1;";
    default:
        return "Provider=SQLOLEDB;";
    }
}

std::string networkLibraryFor(long lib) {
    switch (lib) {
    case 1:
    case 9:
        return "Network Library=dbmssocn";
    case 2:
        return "Network Library=dbnmpntw";
    case 3:
        return "Network Library=dbmsspxn";
    case 4:
        return "Network Library=dbmsvinn";
    case 5:
        return "Network Library=dbmsrpcn";
    default:
        return "";
    }
}
} // namespace

std::string sqlConnectionString(const std::string& server, const std::string& database,
                                const std::string& user, const std::string& password, long networkLibrary,
                                long sqlVersion) {
    return providerFor(sqlVersion) + "User ID=" + user + ";" + "Initial Catalog=" + database + ";" +
           "Data Source=" + server + ";" + "Password=" + password + ";" + networkLibraryFor(networkLibrary);
}

std::string odbcDsnConnectionString(const std::string& dataSource, const std::string& user,
                                    const std::string& password) {
    return "Provider=MSDASQL.1;" + std::string("Data Source=") + dataSource + ";" + "User ID=" + user + ";" +
           "Password=" + password + ";" + "Persist Security Info=True";
}

int commandTimeoutFor(long conTimeOut) {
    return conTimeOut >= 1 ? static_cast<int>(conTimeOut) : 600;
}

std::pair<std::string, int> KvAdo::serverAndPort(const std::string& server) const {
    auto comma = server.rfind(',');
    if (comma != std::string::npos) {
        try {
            return {server.substr(0, comma), std::stoi(server.substr(comma + 1))};
        } catch (const std::exception&) {
        }
    }
    return {server, ServerPort};
}

bool KvAdo::open(Connection& cn, const std::string& adoString, const std::string& odbcString, Dialect dialect,
                 long conTimeOut) {
    cn = std::make_shared<KvAdoConnection>();
    cn->ConnectionString = adoString;
    cn->CursorLocation = 3;
    cn->Mode = 3;
    cn->CommandTimeout = commandTimeoutFor(conTimeOut);
    cn->ConnectionTimeout = LoginTimeOut;
    if (cn->Open(odbcString, dialect)) return true;
    recordFailure(*cn);
    cn->ConnectionString.clear();
    return false;
}

void KvAdo::recordFailure(const KvAdoConnection& cn) {
    const RuntimeError& e = cn.LastOpenError();
    ErrNo = e.number();
    ErrDes = e.description();
    if (!cn.Errors().empty()) {
        const OdbcDiagnostic& d = cn.Errors().front();
        OdbcError full(e.number(), d.message, cn.Errors());
        ErrDes = d.message;
        ErrSou = full.source();
        ErrDetails = std::to_string(d.nativeError);
        ErrDB = d.sqlState;
    } else {
        ErrSou = kAppTitle;
    }
}

bool KvAdo::DBConnection_MDB(Connection& cn, const std::string& MDB_PATH, const std::string& MDBPASSWORD,
                             long MDBVERSION, long ConTimeOut) {
    // The local file is an SQLite file here; it has no password, and a
    // missing file must fail rather than be created empty.
    std::string odbc =
        std::string("DRIVER=") + kSqliteDriverPath + ";Database=" + odbcQuote(MDB_PATH) + ";NoCreat=1";
    if (!open(cn, mdbConnectionString(MDB_PATH, MDBPASSWORD, MDBVERSION), odbc, Dialect::Local, ConTimeOut))
        return false;
    current_ = cn;
    kind_ = 0;
    jetVersion_ = MDBVERSION;
    mdbPath_ = MDB_PATH;
    auto& info = ConnInfo();
    info.Kind = 0;
    info.MdbPath = MDB_PATH;
    info.MdbPassword = MDBPASSWORD;
    info.MdbVersion = static_cast<std::int16_t>(MDBVERSION);
    return true;
}

bool KvAdo::DBConnection_SQL(Connection& cn, const std::string& SQL_Server, const std::string& SQL_DATABASE,
                             const std::string& SQL_USERID, const std::string& SQL_USERPASSWORD,
                             long NewWorkLB, long ConTimeOut, long SQL_Ver) {
    std::string ado =
        sqlConnectionString(SQL_Server, SQL_DATABASE, SQL_USERID, SQL_USERPASSWORD, NewWorkLB, SQL_Ver);
    if (NewWorkLB >= 2 && NewWorkLB <= 5) {
        // Named pipes and the other old libraries do not exist on this system.
        cn = std::make_shared<KvAdoConnection>();
        ErrNo = rterr::kInvalidArgument;
        ErrDes = "이 시스템에서는 TCP/IP 네트워크 라이브러리로만 서버에 연결할 수 있습니다.";
        ErrSou = kAppTitle;
        return false;
    }
    auto [host, port] = serverAndPort(SQL_Server);
    std::string odbc = std::string("DRIVER=") + kTdsDriverPath + ";Server=" + odbcQuote(host) +
                       ";Port=" + std::to_string(port) + ";Database=" + odbcQuote(SQL_DATABASE) +
                       ";UID=" + odbcQuote(SQL_USERID) + ";PWD=" + odbcQuote(SQL_USERPASSWORD) +
                       ";TDS_Version=" + TdsVersion + ";ClientCharset=UTF-8";
    if (!open(cn, ado, odbc, Dialect::TSql, ConTimeOut)) return false;
    current_ = cn;
    kind_ = 1;
    auto& info = ConnInfo();
    info.Kind = 1;
    info.SqlServer = SQL_Server;
    info.SqlDatabase = SQL_DATABASE;
    info.SqlUserId = SQL_USERID;
    info.SqlPassword = SQL_USERPASSWORD;
    return true;
}

bool KvAdo::DBConnection_Ora_ODBC(Connection& cn, const std::string& Ora_DataSource,
                                  const std::string& Ora_ID, const std::string& Ora_PassWord,
                                  long ConTimeOut) {
    std::string odbc =
        "DSN=" + odbcQuote(Ora_DataSource) + ";UID=" + odbcQuote(Ora_ID) + ";PWD=" + odbcQuote(Ora_PassWord);
    if (!open(cn, odbcDsnConnectionString(Ora_DataSource, Ora_ID, Ora_PassWord), odbc, Dialect::TSql,
              ConTimeOut))
        return false;
    current_ = cn;
    kind_ = 2;
    auto& info = ConnInfo();
    info.Kind = 2;
    info.OdbcDataSource = Ora_DataSource;
    info.OdbcUserId = Ora_ID;
    info.OdbcPassword = Ora_PassWord;
    return true;
}

bool KvAdo::lostConnection(const KvAdoConnection& cn, const RuntimeError& e) const {
    return e.number() == dberr::kProviderFailure || e.number() == dberr::kConnection ||
           e.description().find("연결을") != std::string::npos || (cn.State() == 1 && !cn.alive());
}

void KvAdo::connectError() const {
    messages().information("데이터 연결 오류 입니다!", "Connect Error");
}

std::unique_ptr<RecordSet> KvAdo::GetRecordSet(Connection& cn, const std::string& rsSql, long, long, long) {
    if (!cn) return nullptr;
    for (int attempt = 0;; ++attempt) {
        try {
            return std::make_unique<RecordSet>(cn->query(rsSql, {}));
        } catch (const RuntimeError& e) {
            if (e.number() == dberr::kObjectClosed) return nullptr;
            if (attempt == 0 && lostConnection(*cn, e) && cn->Reopen(LoginTimeOut)) continue;
            connectError();
            return nullptr;
        }
    }
}

long KvAdo::RunSql(Connection& cn, const std::string& sql) {
    if (!cn) return -1;
    for (int attempt = 0;; ++attempt) {
        try {
            return static_cast<long>(cn->execute(sql));
        } catch (const RuntimeError& e) {
            if (e.number() == dberr::kObjectClosed) return -1;
            if (attempt == 0 && lostConnection(*cn, e) && cn->Reopen(LoginTimeOut)) continue;
            connectError();
            return -1;
        }
    }
}

} // namespace pelmora
