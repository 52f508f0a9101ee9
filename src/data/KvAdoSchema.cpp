// Schema and maintenance operations of KvAdo, on its current connection.
// Table and column names are pasted into the statements, as these
// operations always did, so a name that could end the identifier or the
// statement is refused; values are written as literals with quotes doubled.

#include "KvAdo.h"

#include "util/Clock.h"
#include "util/NumericText.h"

#include <sql.h>

#include <algorithm>
#include <filesystem>

namespace pelmora {

namespace {
bool validName(const std::string& s) {
    if (s.empty() || s.find("--") != std::string::npos) return false;
    for (unsigned char c : s)
        if (c < 0x20 || c == '[' || c == ']' || c == '\'' || c == '"' || c == ';') return false;
    return true;
}

std::string literal(const std::string& v) {
    std::string out = "'";
    for (char c : v) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

bool sized(const std::string& type) { return type == "CHAR" || type == "NVERCHAR" || type == "DECIMAL"; }

bool numericSqlType(int t) {
    switch (t) {
    case SQL_INTEGER:
    case SQL_SMALLINT:
    case SQL_DECIMAL:
    case SQL_NUMERIC:
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE:
    case -5: // big integer
    case -6: // tiny integer
    case -7: // bit
        return true;
    default:
        return false;
    }
}

std::string stamp() {
    auto n = Clock::now();
    return n.yyyymmdd() + n.hhmmss();
}
} // namespace

bool KvAdo::fail(std::int32_t number, const std::string& description) {
    OpErrNo = number;
    OpErrDes = description;
    return false;
}

bool KvAdo::unsupported(const std::string& operation) {
    return fail(rterr::kInvalidArgument, operation + ": 이 연결에서는 할 수 없는 작업입니다.");
}

KvAdoConnection* KvAdo::cur() {
    if (current_ && current_->State() == KvAdoConnection::kStateOpen) return current_.get();
    fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
    return nullptr;
}

bool KvAdo::runOn(KvAdoConnection& cn, const std::string& sql) {
    try {
        cn.execute(sql);
        return true;
    } catch (const RuntimeError& e) {
        return fail(e.number(), e.description());
    }
}

bool KvAdo::run(const std::string& sql) {
    auto* cn = cur();
    return cn && runOn(*cn, sql);
}

bool KvAdo::TableFind(const std::string& Table) {
    auto* cn = cur();
    if (!cn) return false;
    try {
        for (RecordSet rs = cn->odbc().tables(); !rs.eof(); rs.moveNext())
            if (rs.field("TABLE_NAME").toText() == Table) return true;
    } catch (const RuntimeError& e) {
        fail(e.number(), e.description());
    }
    return false;
}

bool KvAdo::FieldFind(const std::string& Table, const std::string& Field) {
    auto* cn = cur();
    if (!cn) return false;
    try {
        for (RecordSet rs = cn->odbc().columns(Table); !rs.eof(); rs.moveNext())
            if (rs.field("COLUMN_NAME").toText() == Field) return true;
    } catch (const RuntimeError& e) {
        fail(e.number(), e.description());
    }
    return false;
}

std::vector<std::string> KvAdo::TableNameGet(long* nCount) {
    std::vector<std::string> names;
    if (auto* cn = cur()) {
        try {
            RecordSet rs = cn->dialect() == Dialect::TSql ? cn->query("sp_TABLES", {}) : cn->odbc().tables();
            for (; !rs.eof(); rs.moveNext())
                if (rs.field("TABLE_TYPE").toText() == "TABLE") names.push_back(rs.field("TABLE_NAME").toText());
        } catch (const RuntimeError& e) {
            fail(e.number(), e.description());
        }
    }
    if (nCount) *nCount = static_cast<long>(names.size());
    return names;
}

std::string KvAdo::FieldNameGet(const std::string& Table, long* nCount) {
    std::string out;
    long n = 0;
    if (auto* cn = cur()) {
        try {
            RecordSet rs = cn->dialect() == Dialect::TSql ? cn->query("EXEC SP_COLUMNS " + literal(Table), {})
                                                          : cn->odbc().columns(Table);
            for (; !rs.eof(); rs.moveNext(), ++n) out += (n ? "," : "") + rs.field("COLUMN_NAME").toText();
        } catch (const RuntimeError& e) {
            fail(e.number(), e.description());
        }
    }
    if (nCount) *nCount = n;
    return out;
}

std::string KvAdo::FieldTypeName(long FieldType) const {
    bool file = kind_ == 0;
    switch (FieldType) {
    case 129: return "CHAR";
    case 200:
    case 202: return "NVERCHAR";
    case 3: return file ? "LONG" : kind_ == 1 ? "INT" : "INTEGER";
    case 2: return "SmallINT";
    case 16:
    case 17: return "TINYINT";
    case 14:
    case 131: return "DECIMAL";
    case 4: return "FLOAT";
    case 5: return file ? "DOUBLE" : "FLOAT";
    case 7:
    case 133:
    case 135: return file ? "DateTime" : "DATETIME";
    case 6: return file ? "CURRENCY" : "MONEY";
    case 11: return file ? "YESNO" : "BIT";
    case 201:
    case 203: return file ? "MEMO" : "TEXT";
    default: return "";
    }
}

bool KvAdo::FieldAdd(const std::string& Table, const std::string& Field, long FieldType, long FileSize) {
    if (!validName(Table) || !validName(Field)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string type = FieldTypeName(FieldType);
    if (type.empty()) return fail(rterr::kInvalidArgument, "알 수 없는 열 형식입니다: " + std::to_string(FieldType));
    if (sized(type) && FileSize > 0) type += " (" + std::to_string(FileSize) + ")";
    return run("ALTER TABLE [" + Table + "] ADD " + Field + " " + type);
}

bool KvAdo::TableAdd(const std::string& Table, const std::string& FirstField, long FieldType, long FileSize) {
    if (!validName(Table) || !validName(FirstField)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string type = FieldTypeName(FieldType);
    if (type.empty()) return fail(rterr::kInvalidArgument, "알 수 없는 열 형식입니다: " + std::to_string(FieldType));
    if (sized(type) && FileSize > 0) type += " (" + std::to_string(FileSize) + ")";
    return run("CREATE TABLE [" + Table + "] (" + FirstField + " " + type + ")");
}

bool KvAdo::TableDelete(const std::string& Table) {
    if (!validName(Table)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    return run("DROP TABLE " + Table);
}

bool KvAdo::FieldDelete(const std::string& Table, const std::string& Field) {
    if (!validName(Table) || !validName(Field)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    return run("ALTER TABLE " + Table + " DROP COLUMN " + Field);
}

Variant KvAdo::FieldInfo(const std::string& Table, const std::string& Field, const std::string& InfoKind) {
    auto* cn = cur();
    if (!cn) return {};
    try {
        bool tsql = cn->dialect() == Dialect::TSql;
        RecordSet rs = tsql ? cn->query("EXEC SP_COLUMNS " + literal(Table), {}) : cn->odbc().columns(Table);
        // The catalog of ODBC names two of the columns differently.
        std::string kind = InfoKind;
        if (!tsql && kind == "Precision") kind = "COLUMN_SIZE";
        if (!tsql && kind == "TABLE_QUALIFIER") kind = "TABLE_CAT";
        for (; !rs.eof(); rs.moveNext())
            if (rs.field("COLUMN_NAME").toText() == Field) return rs.field(kind);
        fail(dberr::kItemNotFound, "열이 없습니다: " + Field);
    } catch (const RuntimeError& e) {
        fail(e.number(), e.description());
    }
    return {};
}

std::string KvAdo::FieldTypeGetSql(const std::string& Table, const std::string& Field, const std::string& nValue) {
    Variant type = FieldInfo(Table, Field, "DATA_TYPE");
    if (type.isEmpty()) return "";
    int t = 0;
    try {
        t = type.toInt32();
    } catch (const RuntimeError&) {
    }
    std::string name = FieldInfo(Table, Field, "TYPE_NAME").toText();
    for (auto& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool money = name.find("MONEY") != std::string::npos || name.find("CURRENCY") != std::string::npos;
    if (!numericSqlType(t) && !money) return literal(nValue);
    if (trimSpaces(nValue).empty()) return "NULL";
    if (!isNumericText(nValue)) {
        fail(rterr::kTypeMismatch, "숫자 열에 숫자가 아닌 값입니다: " + nValue);
        return "";
    }
    return std::string(trimSpaces(nValue));
}

bool KvAdo::TableCopy(Connection& NewCn, const std::string& OldTableName, const std::string& NewTableName) {
    auto* cn = cur();
    if (!cn) return false;
    if (!NewCn || NewCn->State() != 1) return fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
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
            for (auto& c : up) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
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
                                const std::string& NewTableName, const std::string&, const std::string& OldPath,
                                const std::string& StrTable, const std::string& WhereBackStrSQL,
                                std::string* ErrMsg) {
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
                                const std::string& NewDataName, const std::string& NewId, const std::string& NewPass,
                                const std::string& OldTableName, const std::string& NewTableName,
                                const std::string& StrTable, const std::string& WhereBackStrSQL) {
    if (!NewCnAdo || NewCnAdo->State() != 1) return fail(dberr::kObjectClosed, "연결이 닫혀 있어 작업을 할 수 없습니다.");
    if (NewCnAdo->dialect() != Dialect::TSql) return unsupported("DBDataCopy_SQLTOSQL");
    for (const auto* n : {&NewServerName, &NewDataName, &NewId, &OldTableName, &NewTableName})
        if (!validName(*n)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string pass;
    for (char c : NewPass) pass += c == '\'' ? std::string("''") : std::string(1, c);
    std::string cols = StrTable.empty() ? "*" : StrTable;
    return runOn(*NewCnAdo, "Insert into " + NewTableName + " SELECT " + cols + " FROM " +
                                "OPENROWSET('MSDASQL','DRIVER={SQL Server};SERVER=" + NewServerName +
                                ";UID=" + NewId + ";PWD=" + pass + "', " + NewDataName + ".DBO." + OldTableName +
                                ") AS A " + WhereBackStrSQL);
}

} // namespace pelmora
