#include "RefSql.h"

#include "util/Clock.h"

#include <cctype>
#include <vector>

namespace pelmora {

namespace {

bool local(Dialect d) {
    return d == Dialect::Local;
}

std::string packFlag(Dialect d) {
    return local(d) ? "iif(length(z.코드) > 0, 1, 0)" : "CASE WHEN LEN(z.코드) > 0 THEN 1 ELSE 0 END";
}

bool realDate(int y, int m, int d) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (y < 100 || y > 9999 || m < 1 || m > 12 || d < 1) return false;
    bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return d <= days[m - 1] + (m == 2 && leap ? 1 : 0);
}

} // namespace

std::string RefSql::join(std::initializer_list<std::string_view> pieces) {
    std::string sql = "\r\n";
    for (auto p : pieces) {
        sql += p;
        sql += "\r\n";
    }
    return sql;
}

std::string RefSql::routeExpression(Dialect d) {
    if (local(d))
        return "iif(substr(약품명,-4)='(내복)','내복',iif(substr(약품명,-4)='(외용)','외용',"
               "iif(substr(약품명,-4)='(주사)','주사','')))";
    return "CASE WHEN RIGHT(약품명,4)='(내복)' THEN '내복' WHEN RIGHT(약품명,4)='(외용)' THEN '외용' "
           "WHEN RIGHT(약품명,4)='(주사)' THEN '주사' ELSE '' END";
}

namespace {

std::string joinAll(const std::vector<std::string>& pieces) {
    std::string sql = "\r\n";
    for (const auto& p : pieces)
        sql += p + "\r\n";
    return sql;
}

// The select list, from and join shared by RecordSelect and RecordSelectBibo;
// the previous price carries no pack flag and no substitution flag.
void drugColumns(std::vector<std::string>& pieces, Dialect d, bool bibo) {
    for (std::string p : {"  a.표준코드 as vcYakCd", " ,a.적용시작일 as vcYakDt", " ,a.급여구분 as vcYakGu",
                          " ,a.상한가 as mYakPr"})
        pieces.push_back(std::move(p));
    pieces.push_back(" ," + RefSql::routeExpression(d) + " as vcYakTo");
    for (std::string p : {" ,a.약품명 as vcYakNm", " ,a.규격단위 as vcYakTakDan", " ,a.업소명 as vcYakCmp",
                          " ,a.분류번호 as vcYakBun", " ,a.주성분코드 as vcYakJuCd", " ,'' as vcYakJun"})
        pieces.push_back(std::move(p));
    pieces.push_back(bibo ? " ,0 as iYakPac" : " ," + packFlag(d) + " as iYakPac");
    pieces.push_back(bibo ? " ,'' as vcYakRnd" : " ,a.임의조제 as vcYakRnd");
    pieces.push_back(" FROM dbf심평원약 a");
    pieces.push_back(" LEFT JOIN 팩단위약 z ON a.표준코드 = z.코드");
}

} // namespace

std::string RefSql::yakGaSelect(Dialect d, int mode) {
    std::vector<std::string> pieces{" SELECT"};
    drugColumns(pieces, d, false);
    if (mode == 0 || mode == 1)
        pieces.emplace_back(" WHERE a.표준코드 = ?");
    else
        pieces.emplace_back(local(d) ? " WHERE substr(a.표준코드,2,8) = ?"
                                     : " WHERE SUBSTRING(a.표준코드,2,8) = ?");
    if (mode == 0) {
        pieces.emplace_back(" AND a.적용시작일 = ?");
    } else {
        pieces.emplace_back(" AND 적용시작일 <= ?");
        pieces.emplace_back(" AND 적용종료일 >= ?");
    }
    return joinAll(pieces);
}

std::string RefSql::yakGaBibo(Dialect d) {
    std::vector<std::string> pieces{" SELECT"};
    if (!local(d)) pieces.emplace_back(" TOP 1");
    drugColumns(pieces, d, true);
    pieces.emplace_back(" WHERE a.표준코드 = ?");
    pieces.emplace_back(" AND a.적용시작일 < ?");
    pieces.emplace_back(" ORDER BY a.적용시작일 DESC");
    if (local(d)) pieces.emplace_back(" LIMIT 1");
    return joinAll(pieces);
}

namespace {
// The select list and table of the search list, shared by its query and by
// the reading of one of its rows from the link database.
std::string listColumns(Dialect d) {
    const std::string route = " ," + RefSql::routeExpression(d) + " as vcYakTo";
    return RefSql::join({" SELECT", "  약품명 as vcYakNm", " ,업소명 as vcYakCmp", " ,표준코드 as vcYakCd",
                         " ,급여구분 as vcYakGu", route, " ,상한가 as mYakPr", " ,적용시작일 as vcYakDt",
                         " ,규격단위 as vcYakTakDan", " ,코드 as vcYakOldCd", " FROM DBF심평원약"});
}
} // namespace

std::string RefSql::yakGaList(Dialect d, int yakSn) {
    const char* by = yakSn == 1   ? " AND 약품명 like ?"
                     : yakSn == 2 ? " AND 업소명 like ?"
                                  : " AND 표준코드 like ?";
    return listColumns(d) +
           join({" WHERE 적용시작일 <= ?", " AND 적용종료일 >= ?", by, " ORDER BY 약품명"}).substr(2);
}

std::string RefSql::yakGaListRows(const std::string& rowid, std::size_t count) {
    std::string marks;
    for (std::size_t i = 0; i < count; ++i)
        marks += i ? ",?" : "?";
    std::string sql = listColumns(Dialect::Local);
    sql.insert(sql.rfind(" FROM DBF심평원약"), " ," + rowid + " as vcRowId\r\n");
    return sql + join({" WHERE " + rowid + " IN (" + marks + ")", " ORDER BY " + rowid}).substr(2);
}

// The latest notice date: the table may hold several, and the first row a
// database happens to return is not necessarily the newest.
std::string RefSql::noticeDate(Dialect d) {
    if (local(d))
        return join({" SELECT", "  고시적용일", " FROM 고시적용일", " ORDER BY 고시적용일 DESC", " LIMIT 1"});
    return join({" SELECT", " TOP 1", "  고시적용일", " FROM 고시적용일", " ORDER BY 고시적용일 DESC"});
}

std::string RefSql::holiday() {
    return join(
        {" SELECT", "  공휴일자 as HoliDt", " ,설명 as HoliNm", " FROM 공휴일", " WHERE 공휴일자 = ?"});
}

std::string RefSql::hosp() {
    return join({" SELECT", "  요양기관 as HospCd", " ,주소 as HospAddr", " ,요양종별 as HospGu",
                 " ,본인부담률 as HospPer", " FROM 병원종병",
                 " WHERE 요양기관 = ? AND 적용시작일 <= ? AND 적용종료일 >= ?"});
}

std::string RefSql::spesial() {
    return join({" SELECT", "  a.특정기호 as SpeCd", " ,a.대상 as SpeNm", " ,a.특례적용 as SpeGu",
                 " ,a.적용일자 as SpeDt", " FROM 특정기호 a", " Inner Join", " (", " SELECT", "  특정기호",
                 " ,MAX(적용일자) As Dt", " From 특정기호", " WHERE 적용일자 <= ?", " AND 특정기호 = ?",
                 " GROUP BY 특정기호", " ) AS b ON a.특정기호=b.특정기호 AND a.적용일자 = b.Dt",
                 " order by a.특정기호"});
}

std::string RefSql::dateOrToday(const std::string& date) {
    std::string digits;
    bool dashed = date.size() == 10 && date[4] == '-' && date[7] == '-';
    if (date.size() == 8 || dashed) {
        for (std::size_t i = 0; i < date.size(); ++i) {
            if (dashed && (i == 4 || i == 7)) continue;
            if (!std::isdigit(static_cast<unsigned char>(date[i]))) return Clock::today();
            digits += date[i];
        }
        int y = std::stoi(digits.substr(0, 4)), m = std::stoi(digits.substr(4, 2)),
            d = std::stoi(digits.substr(6));
        if (realDate(y, m, d)) return digits;
    }
    return Clock::today();
}

} // namespace pelmora
