#include "Institutions.h"

#include "Random.h"
#include "data/SqliteConnection.h"

#include <set>
#include <string>

namespace pelmora::refgen {

namespace {

struct Kind {
    const char* name; // 요양종별
    char digit;       // third digit of the number
    int rate;         // 본인부담률 of a light illness (the V252 rule)
    int share;        // per mille of institutions
};

const Kind kKinds[] = {{"상급종합병원", '1', 50, 5}, {"종합병원", '1', 40, 30}, {"병원", '1', 30, 60},
                       {"요양병원", '2', 30, 30},    {"의원", '3', 30, 600},    {"치과병원", '4', 30, 5},
                       {"치과의원", '5', 30, 100},   {"보건소", '7', 30, 20},   {"보건지소", '7', 30, 25},
                       {"보건진료소", '7', 30, 15},  {"한방병원", '9', 30, 10}, {"한의원", '9', 30, 100}};

struct Region {
    const char* code;
    const char* name;
    const char* districts[3];
};

const Region kRegions[] = {
    {"11", "서울특별시", {"종로구", "강남구", "마포구"}},
    {"21", "부산광역시", {"해운대구", "부산진구", "동래구"}},
    {"22", "대구광역시", {"수성구", "달서구", "중구"}},
    {"23", "인천광역시", {"남동구", "부평구", "연수구"}},
    {"24", "광주광역시", {"북구", "서구", "광산구"}},
    {"25", "대전광역시", {"유성구", "서구", "대덕구"}},
    {"26", "울산광역시", {"남구", "중구", "울주군"}},
    {"31", "경기도", {"수원시", "성남시", "고양시"}},
    {"32", "강원특별자치도", {"춘천시", "원주시", "강릉시"}},
    {"33", "충청북도", {"청주시", "충주시", "제천시"}},
    {"34", "충청남도", {"천안시", "아산시", "공주시"}},
    {"35", "전북특별자치도", {"전주시", "군산시", "익산시"}},
    {"36", "전라남도", {"목포시", "여수시", "순천시"}},
    {"37", "경상북도", {"포항시", "구미시", "경주시"}},
    {"38", "경상남도", {"창원시", "김해시", "진주시"}},
    {"39", "제주특별자치도", {"제주시", "서귀포시", "제주시"}},
};

const char* const kRoads[] = {"중앙로", "시청로", "문화로", "대학로", "역전로", "평화로", "희망로", "새싹로"};

const Kind& pickKind(Random& rng) {
    int r = rng.below(1000);
    for (const auto& k : kKinds) {
        if (r < k.share) return k;
        r -= k.share;
    }
    return kKinds[4];
}

void insert(SqliteConnection& db, const std::string& code, const std::string& addr, const Kind& k,
            const std::string& start, const std::string& end) {
    db.execute("INSERT INTO 병원종병 (요양기관, 주소, 요양종별, 본인부담률, 적용시작일, 적용종료일) VALUES "
               "(?,?,?,?,?,?)",
               {code, addr, k.name, std::int32_t{k.rate}, start, end});
}

} // namespace

void Institutions::write(SqliteConnection& db, int count, unsigned long long seed) {
    Random rng(seed ^ 0x5EED1157ULL);
    std::set<std::string> used;
    for (int i = 0; i < count; ++i) {
        const Region& region = rng.pick(kRegions);
        const Kind& kind = pickKind(rng);
        std::string code;
        do {
            code =
                std::string(region.code) + kind.digit + std::to_string(100000 + rng.below(100000)).substr(1);
        } while (!used.insert(code).second);
        std::string addr = std::string(region.name) + " " + region.districts[rng.below(3)] + " " +
                           rng.pick(kRoads) + " " + std::to_string(1 + rng.below(300));
        // a hospital that grew into a general hospital keeps its number
        if (kind.name == kKinds[2].name && rng.chance(10)) {
            insert(db, code, addr, kind, "20000101", "20171231");
            insert(db, code, addr, kKinds[1], "20180101", "99991231");
        } else {
            insert(db, code, addr, kind, "20000101", "99991231");
        }
    }
}

void Institutions::writeSpecialCodes(SqliteConnection& db) {
    struct Version {
        const char* code;
        const char* target;
        int flag; // 0: 30%, 1: 20%, 2: 10%, 3: 5% of the patient share
        const char* date;
    };
    const Version versions[] = {
        {"V252", "경증질환 약제비 본인부담 차등", 0, "20100101"},
        {"V252", "경증질환 약제비 본인부담 차등", 0, "20111001"},
        {"V252", "경증질환 약제비 본인부담 차등", 0, "20180101"},
        {"V193", "암 산정특례", 3, "20090701"},
        {"V193", "암 산정특례", 3, "20100701"},
        {"V206", "희귀난치성질환 산정특례", 2, "20090701"},
        {"V206", "희귀질환 산정특례", 2, "20150101"},
        {"V231", "결핵 산정특례", 2, "20100101"},
        {"V231", "결핵 산정특례", 3, "20150101"},
        {"V246", "잠복결핵 산정특례", 3, "20170701"},
        {"V027", "중증화상 산정특례", 3, "20100701"},
        {"V191", "뇌혈관질환 산정특례", 3, "20100101"},
        {"V192", "심장질환 산정특례", 3, "20100101"},
        {"V000", "차상위 본인부담 경감", 1, "20090401"},
        {"F008", "장애인 의료비 지원", 1, "20090101"},
    };
    for (const auto& v : versions)
        db.execute("INSERT INTO 특정기호 (특정기호, 대상, 특례적용, 적용일자) VALUES (?,?,?,?)",
                   {v.code, v.target, std::int32_t{v.flag}, v.date});
}

} // namespace pelmora::refgen
