// The copy and backup operations of KvAdo: a table's shape onto another
// connection, rows from another local file, rows from another server, and
// a backup of the current database.

#include "KvAdo.h"
#include "KvAdoNames.h"

#include <algorithm>
#include <filesystem>

namespace pelmora {

using namespace kvado;

bool KvAdo::TableCopy(Connection& NewCn, const std::string& OldTableName, const std::string& NewTableName) {
    auto* cn = cur();
    if (!cn) return false;
    if (!NewCn || NewCn->State() != 1)
        return fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
    if (!validName(NewTableName)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    try {
        // The catalog gives the same columns on both kinds of server; on the
        // central server it is read through sp_columns.
        RecordSet cols = cn->odbc().columns(OldTableName);
        if (cols.eof()) return fail(dberr::kItemNotFound, "테이블이 없습니다: " + OldTableName);
        std::string sql = "CREATE TABLE [" + NewTableName + "] (";
        for (bool first = true; !cols.eof(); cols.moveNext(), first = false) {
            std::string type = cols.field("TYPE_NAME").toText();
            std::string up = type;
            for (auto& c : up)
                c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            if (up.find("CHAR") != std::string::npos && up.find('(') == std::string::npos &&
                !cols.field("COLUMN_SIZE").isNull())
                type += "(" + cols.field("COLUMN_SIZE").toText() + ")";
            bool nullable = cols.field("NULLABLE").toText() != "0";
            sql += (first ? "[" : ", [") + cols.field("COLUMN_NAME").toText() + "] " + type +
                   (nullable ? " NULL" : " NOT NULL");
        }
        if (!runOn(*NewCn, sql + ")")) return false;
        // Index columns in key order, one statement per index.
        std::vector<std::pair<std::string, std::pair<bool, std::string>>> indexes;
        for (RecordSet st = cn->odbc().statistics(OldTableName); !st.eof(); st.moveNext()) {
            if (st.field("INDEX_NAME").isNull()) continue;
            std::string name = st.field("INDEX_NAME").toText();
            std::string col = "[" + st.field("COLUMN_NAME").toText() + "]";
            bool unique = st.field("NON_UNIQUE").toText() == "0";
            auto it = std::find_if(indexes.begin(), indexes.end(), [&](auto& i) { return i.first == name; });
            if (it == indexes.end())
                indexes.push_back({name, {unique, col}});
            else
                it->second.second += ", " + col;
        }
        std::string place = NewCn->dialect() == Dialect::TSql ? " ON [PRIMARY]" : "";
        for (auto& [name, def] : indexes) {
            std::string newName = NewTableName + "_" + name;
            if (!validName(newName)) continue;
            std::string head = def.first ? "CREATE UNIQUE  INDEX [" : "CREATE INDEX [";
            if (!runOn(*NewCn, head + newName + "] ON [" + NewTableName + "] (" + def.second + ")" + place))
                return false;
        }
        return true;
    } catch (const RuntimeError& e) {
        return fail(e.number(), e.description());
    }
}

bool KvAdo::DBGoBackUp(const std::string& BackDataPath) {
    auto* cn = cur();
    if (!cn) return false;
    const auto& info = ConnInfo();
    if (kind_ == 1) {
        std::string file = BackDataPath + (BackDataPath.empty() || BackDataPath.back() == '\\' ? "" : "\\") +
                           info.SqlDatabase + stamp() + ".dat";
        if (!validName(info.SqlDatabase)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
        return run("BACKUP DATABASE " + info.SqlDatabase + " to Disk =" + literal(file) + " with init");
    }
    if (kind_ == 0) {
        // The local file is an SQLite file: copy it through SQLite itself so
        // the copy is consistent even while it is open.
        namespace fs = std::filesystem;
        // Named after the file this object opened, which is the one copied,
        // even when another object has connected since.
        fs::path src(mdbPath_);
        fs::path dir = BackDataPath.empty() ? src.parent_path() : fs::path(BackDataPath);
        fs::path dst = dir / (src.stem().string() + stamp() + ".db");
        return run("VACUUM INTO " + literal(dst.string()));
    }
    return unsupported("DBGoBackUp");
}

bool KvAdo::DBDataCopy_MDBTOMDB(Connection& NewCnAdo, const std::string& OldTableName,
                                const std::string& NewTableName, const std::string&,
                                const std::string& OldPath, const std::string& StrTable,
                                const std::string& WhereBackStrSQL, std::string* ErrMsg) {
    auto report = [&](bool ok) {
        if (!ok && ErrMsg) *ErrMsg = OpErrDes;
        return ok;
    };
    if (!NewCnAdo || NewCnAdo->State() != 1)
        return report(fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다."));
    if (NewCnAdo->dialect() != Dialect::Local) return report(unsupported("DBDataCopy_MDBTOMDB"));
    if (!validName(OldTableName) || !validName(NewTableName))
        return report(fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다."));
    // The other file is attached for the one statement; it has no password here.
    if (!runOn(*NewCnAdo, "ATTACH DATABASE " + literal(OldPath) + " AS kvold")) return report(false);
    std::string cols = StrTable.empty() ? "*" : StrTable;
    bool ok = runOn(*NewCnAdo, "Insert into [" + NewTableName + "] select " + cols + " from kvold.[" +
                                   OldTableName + "] " + WhereBackStrSQL);
    std::string err = OpErrDes;
    runOn(*NewCnAdo, "DETACH DATABASE kvold");
    OpErrDes = err;
    return report(ok);
}

bool KvAdo::DBDataCopy_MDBTOSQL(Connection&, const std::string&, const std::string&, const std::string&,
                                const std::string&, const std::string&, const std::string&) {
    // The central server cannot open this system's local files.
    return unsupported("DBDataCopy_MDBTOSQL");
}

bool KvAdo::DBDataCopy_SQLTOSQL(Connection& NewCnAdo, const std::string& NewServerName,
                                const std::string& NewDataName, const std::string& NewId,
                                const std::string& NewPass, const std::string& OldTableName,
                                const std::string& NewTableName, const std::string& StrTable,
                                const std::string& WhereBackStrSQL) {
    if (!NewCnAdo || NewCnAdo->State() != 1)
        return fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
    if (NewCnAdo->dialect() != Dialect::TSql) return unsupported("DBDataCopy_SQLTOSQL");
    for (const auto* n : {&NewServerName, &NewDataName, &NewId, &OldTableName, &NewTableName})
        if (!validName(*n)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string pass;
    for (char c : NewPass)
        pass += c == '\'' ? std::string("''") : std::string(1, c);
    std::string cols = StrTable.empty() ? "*" : StrTable;
    return runOn(*NewCnAdo, "Insert into " + NewTableName + " SELECT " + cols + " FROM " +
                                "OPENROWSET('MSDASQL','DRIVER={SQL Server};SERVER=" + NewServerName +
                                ";UID=" + NewId + ";PWD=" + pass + "', " + NewDataName + ".DBO." +
                                OldTableName + ") AS A " + WhereBackStrSQL);
}

} // namespace pelmora
