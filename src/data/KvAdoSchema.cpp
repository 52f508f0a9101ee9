// Schema and maintenance operations of KvAdo, on its current connection.
// Table and column names are pasted into the statements, as these
// operations always did, so a name that could end the identifier or the
// statement is refused; values are written as literals with quotes doubled.

#include "KvAdo.h"
#include "KvAdoNames.h"

#include "util/NumericText.h"

#include <cctype>

namespace pelmora {

using namespace kvado;

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
                if (rs.field("TABLE_TYPE").toText() == "TABLE")
                    names.push_back(rs.field("TABLE_NAME").toText());
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
            for (; !rs.eof(); rs.moveNext(), ++n)
                out += (n ? "," : "") + rs.field("COLUMN_NAME").toText();
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
    case 129:
        return "CHAR";
    case 200:
    case 202:
        return "NVERCHAR";
    case 3:
        return file ? "LONG" : kind_ == 1 ? "INT" : "INTEGER";
    case 2:
        return "SmallINT";
    case 16:
    case 17:
        return "TINYINT";
    case 14:
    case 131:
        return "DECIMAL";
    case 4:
        return "FLOAT";
    case 5:
        return file ? "DOUBLE" : "FLOAT";
    case 7:
    case 133:
    case 135:
        return file ? "DateTime" : "DATETIME";
    case 6:
        return file ? "CURRENCY" : "MONEY";
    case 11:
        return file ? "YESNO" : "BIT";
    case 201:
    case 203:
        return file ? "MEMO" : "TEXT";
    default:
        return "";
    }
}

bool KvAdo::FieldAdd(const std::string& Table, const std::string& Field, long FieldType, long FileSize) {
    if (!validName(Table) || !validName(Field))
        return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string type = FieldTypeName(FieldType);
    if (type.empty())
        return fail(rterr::kInvalidArgument, "알 수 없는 열 형식입니다: " + std::to_string(FieldType));
    if (sized(type) && FileSize > 0) type += " (" + std::to_string(FileSize) + ")";
    return run("ALTER TABLE [" + Table + "] ADD " + Field + " " + type);
}

bool KvAdo::TableAdd(const std::string& Table, const std::string& FirstField, long FieldType, long FileSize) {
    if (!validName(Table) || !validName(FirstField))
        return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    std::string type = FieldTypeName(FieldType);
    if (type.empty())
        return fail(rterr::kInvalidArgument, "알 수 없는 열 형식입니다: " + std::to_string(FieldType));
    if (sized(type) && FileSize > 0) type += " (" + std::to_string(FileSize) + ")";
    return run("CREATE TABLE [" + Table + "] (" + FirstField + " " + type + ")");
}

bool KvAdo::TableDelete(const std::string& Table) {
    if (!validName(Table)) return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
    return run("DROP TABLE " + Table);
}

bool KvAdo::FieldDelete(const std::string& Table, const std::string& Field) {
    if (!validName(Table) || !validName(Field))
        return fail(rterr::kInvalidArgument, "쓸 수 없는 이름입니다.");
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

std::string KvAdo::FieldTypeGetSql(const std::string& Table, const std::string& Field,
                                   const std::string& nValue) {
    Variant type = FieldInfo(Table, Field, "DATA_TYPE");
    if (type.isEmpty()) return "";
    int t = 0;
    try {
        t = type.toInt32();
    } catch (const RuntimeError&) {
    }
    std::string name = FieldInfo(Table, Field, "TYPE_NAME").toText();
    for (auto& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    bool money = name.find("MONEY") != std::string::npos || name.find("CURRENCY") != std::string::npos;
    if (!numericSqlType(t) && !money) return literal(nValue);
    if (trimSpaces(nValue).empty()) return "NULL";
    if (!isNumericText(nValue)) {
        fail(rterr::kTypeMismatch, "숫자 열에 숫자가 아닌 값입니다: " + nValue);
        return "";
    }
    return std::string(trimSpaces(nValue));
}

} // namespace pelmora
