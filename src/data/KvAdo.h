#pragma once
// The in-house database toolkit: opens connections of three kinds (a local
// reference file, the central SQL Server, an ODBC data source), records why a
// connection failed, and offers record-set, statement, schema and
// maintenance operations on the connection it opened last.
//
// The connection strings are built in the toolkit's historical form and kept
// on the connection as the record of what was asked; what is actually opened
// is the matching ODBC string: the TDS driver for the server, the SQLite
// driver for a local file, a data source name for the third kind.

#include "KvAdoConnection.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace pelmora {

// The login data of the last successful connection call, program-wide; only
// the fields of the connection's own kind are written.
struct ConnInfoRecord {
    std::int16_t Kind = 0; // 0 local file, 1 SQL Server, 2 ODBC data source
    std::string MdbPath, MdbPassword;
    std::int16_t MdbVersion = 0;
    std::string SqlServer, SqlDatabase, SqlUserId, SqlPassword;
    std::string OdbcDataSource, OdbcUserId, OdbcPassword;
};
ConnInfoRecord& ConnInfo();

// Where the ODBC drivers live; named by path, nothing is registered.
inline constexpr const char* kTdsDriverPath = "/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so";
inline constexpr const char* kSqliteDriverPath = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";

// The historical connection strings, by plain concatenation.
std::string mdbConnectionString(const std::string& path, const std::string& password, long version);
std::string sqlConnectionString(const std::string& server, const std::string& database,
                                const std::string& user, const std::string& password, long networkLibrary,
                                long sqlVersion);
std::string odbcDsnConnectionString(const std::string& dataSource, const std::string& user,
                                    const std::string& password);
// The command time-out a ConTimeOut gives: itself when at least 1, else 600.
int commandTimeoutFor(long conTimeOut);

class KvAdo {
  public:
    using Connection = std::shared_ptr<KvAdoConnection>;

    // Error details of the last failed connection call.
    double ErrNo = 0;
    std::string ErrDes, ErrSou, ErrDetails, ErrDB;
    // Outcome of the last failed schema, maintenance or script operation.
    std::int32_t OpErrNo = 0;
    std::string OpErrDes;

    // Settings the historical calls had no argument for.
    int LoginTimeOut = 5;  // seconds a login may take
    int ServerPort = 1433; // when the server name carries no ",port"
    std::string TdsVersion = "7.4";

    // The three connection calls: True when cn is open. They never raise;
    // a failure leaves cn on a closed connection with an empty string.
    bool DBConnection_MDB(Connection& cn, const std::string& MDB_PATH, const std::string& MDBPASSWORD,
                          long MDBVERSION, long ConTimeOut = 0);
    bool DBConnection_SQL(Connection& cn, const std::string& SQL_Server, const std::string& SQL_DATABASE,
                          const std::string& SQL_USERID, const std::string& SQL_USERPASSWORD,
                          long NewWorkLB = 0, long ConTimeOut = 0, long SQL_Ver = 0);
    bool DBConnection_Ora_ODBC(Connection& cn, const std::string& Ora_DataSource, const std::string& Ora_ID,
                               const std::string& Ora_PassWord, long ConTimeOut = 0);

    // Record sets and statements. A lost connection is reopened once and the
    // statement run again; any other failure except 3704 shows
    // "데이터 연결 오류 입니다!". The record set is read whole, so every
    // cursor asked for behaves as a static read-only one. nullptr on failure.
    std::unique_ptr<RecordSet> GetRecordSet(Connection& cn, const std::string& rsSql, long rsCursorType = 3,
                                            long rsLockTypeEnum = 1, long rsCursorLocationEnum = 3);
    static void CloseRecordSet(std::unique_ptr<RecordSet>& rs) { rs.reset(); }
    // Rows affected; -1 when the statement failed.
    long RunSql(Connection& cn, const std::string& sql);
    long DataType() const { return kind_; }
    const Connection& current() const { return current_; }

    // Schema and maintenance on the current connection (KvAdoSchema.cpp).
    bool TableFind(const std::string& Table);
    bool FieldFind(const std::string& Table, const std::string& Field);
    std::vector<std::string> TableNameGet(long* nCount = nullptr);
    std::string FieldNameGet(const std::string& Table, long* nCount = nullptr);
    bool FieldAdd(const std::string& Table, const std::string& Field, long FieldType, long FileSize = 0);
    bool TableDelete(const std::string& Table);
    bool FieldDelete(const std::string& Table, const std::string& Field);
    std::string FieldTypeName(long FieldType) const;
    std::string FieldTypeGetSql(const std::string& Table, const std::string& Field,
                                const std::string& nValue);
    Variant FieldInfo(const std::string& Table, const std::string& Field, const std::string& InfoKind);
    bool TableAdd(const std::string& Table, const std::string& FirstField, long FieldType, long FileSize = 0);
    bool TableCopy(Connection& NewCn, const std::string& OldTableName, const std::string& NewTableName);
    bool DBGoBackUp(const std::string& BackDataPath = "");
    bool DBDataCopy_MDBTOMDB(Connection& NewCnAdo, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& Password,
                             const std::string& OldPath, const std::string& StrTable = "",
                             const std::string& WhereBackStrSQL = "", std::string* ErrMsg = nullptr);
    bool DBDataCopy_MDBTOSQL(Connection& NewSqlCnAdo, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& MDBPath,
                             const std::string& Password, const std::string& StrTable = "",
                             const std::string& WhereBackStrSQL = "");
    bool DBDataCopy_SQLTOSQL(Connection& NewCnAdo, const std::string& NewServerName,
                             const std::string& NewDataName, const std::string& NewId,
                             const std::string& NewPass, const std::string& OldTableName,
                             const std::string& NewTableName, const std::string& StrTable = "",
                             const std::string& WhereBackStrSQL = "");

    // Scripts through the server's command-line client (KvAdoScriptRunner).
    std::string DBSqlATTACH(const std::string& nDBName, const std::string& nDataPath);
    std::string DBSqlDeTTACH(const std::string& DBName);
    bool DBSQLReduction(long nSection, const std::string& nValue, std::string* ReturnStr = nullptr);
    std::string ScriptClient = "tsql"; // the client program, by name or path
    int ScriptTimeOut = 600;           // seconds before the client is stopped

  private:
    bool open(Connection& cn, const std::string& adoString, const std::string& odbcString, Dialect dialect,
              long conTimeOut);
    void recordFailure(const KvAdoConnection& cn);
    bool lostConnection(const KvAdoConnection& cn, const RuntimeError& e) const;
    void connectError() const;
    bool fail(std::int32_t number, const std::string& description);
    bool unsupported(const std::string& operation);
    KvAdoConnection* cur();
    bool run(const std::string& sql);
    bool runOn(KvAdoConnection& cn, const std::string& sql);
    std::string runScript(const std::string& script, bool* ok);
    std::pair<std::string, int> serverAndPort(const std::string& server) const;

    Connection current_;
    long kind_ = 0;
    long jetVersion_ = 0;
    std::string mdbPath_;
};

} // namespace pelmora
