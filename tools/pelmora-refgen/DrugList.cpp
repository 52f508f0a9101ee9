#include "DrugList.h"

#include "data/FeeSchedule.h"
#include "data/SqliteConnection.h"

#include <set>
#include <vector>

namespace pelmora::refgen {

namespace {

struct Form {
    const char* name;
    const char* route; // the name's ending
    const char* unit;
    const char* formCode;
    int minPrice, maxPrice;
};

const Form kForms[] = {
    {"정", "(내복)", "1정", "TB", 30, 900},      {"정", "(내복)", "1정", "TB", 30, 900},
    {"정", "(내복)", "1정", "TB", 30, 900},      {"서방정", "(내복)", "1정", "TR", 200, 1500},
    {"캡슐", "(내복)", "1캡슐", "CH", 80, 1200}, {"캡슐", "(내복)", "1캡슐", "CH", 80, 1200},
    {"시럽", "(내복)", "1mL", "SY", 5, 60},      {"과립", "(내복)", "1g", "GR", 40, 400},
    {"산", "(내복)", "1g", "PW", 20, 300},       {"연고", "(외용)", "1g", "OI", 40, 500},
    {"크림", "(외용)", "1g", "CR", 40, 500},     {"겔", "(외용)", "1g", "GE", 30, 400},
    {"패취", "(외용)", "1매", "PT", 300, 2500},  {"점안액", "(외용)", "1mL", "EY", 200, 3000},
    {"주", "(주사)", "1병", "IJ", 1000, 40000},  {"주사액", "(주사)", "1앰플", "IJ", 500, 15000},
};

// Ingredient names by the routes they are made for: internal, external,
// injection.
const char* const kInternalStems[] = {
    "아모디핀",   "로자탄",       "발사르탄",       "텔미살탄",   "메트포민",   "글리메피리드",
    "아토르바",   "로수바",       "심바스타",       "아스피린",   "클로피도",   "세파클러",
    "아목시실",   "독시사이",     "레보플록",       "이부프로펜", "나프록센",   "아세클로",
    "세레콕시",   "트라마돌",     "아세트아미노펜", "판토프라",   "에소메프라", "라니티딘",
    "모사프리드", "레바미피드",   "돔페리돈",       "세티리진",   "펙소페나딘", "몬테루카스트",
    "암브록솔",   "덱스트로메토", "프레드니솔",     "레보티록신", "알프라졸람", "졸피뎀",
    "에스시탈로", "세르트랄린",   "가바펜틴",       "프레가발린", "비타민",     "철분"};
const char* const kExternalStems[] = {"베타메타손", "히드로코르티", "케토코나졸", "무피로신",   "겐타마이신",
                                      "디클로페낙", "피록시캄",     "케토프로펜", "히알루론산", "오플록사신"};
const char* const kInjectionStems[] = {"세파졸린",   "세프트리악손", "반코마이신", "인슐린",    "에녹사파린",
                                       "온단세트론", "메토클로프라", "리도카인",   "덱사메타손"};

// A stable number for a text, so ingredient codes follow the ingredient.
unsigned fnv(const char* text) {
    unsigned h = 2166136261u;
    for (; *text; ++text)
        h = (h ^ static_cast<unsigned char>(*text)) * 16777619u;
    return h;
}

const char* stemFor(Random& rng, const char* route) {
    if (std::string(route) == "(외용)") return rng.pick(kExternalStems);
    if (std::string(route) == "(주사)") return rng.pick(kInjectionStems);
    return rng.pick(kInternalStems);
}

const char* const kMakerHeads[] = {"한빛", "세온", "가온", "보람", "새별", "푸른", "청운", "다온",
                                   "늘봄", "해솔", "미르", "하랑", "누리", "은빛", "솔빛", "한결",
                                   "라온", "고운", "아름", "초록", "새솔", "단비", "희망", "바른",
                                   "참빛", "한울", "소담", "나래", "온빛", "별빛"};
const char* const kMakerTails[] = {"제약", "약품", "바이오", "팜", "신약"};
const char* const kClasses[] = {"111", "114", "116", "131", "141", "211", "214", "218",
                                "222", "232", "234", "239", "249", "264", "266", "269",
                                "396", "399", "421", "614", "618", "619", "625", "629"};

// Coverage classes with their shares in percent.
const std::pair<const char*, int> kCoverage[] = {{"급여", 80},  {"비급여", 8}, {"100/100", 4}, {"50/100", 2},
                                                 {"80/100", 2}, {"30/100", 2}, {"90/100", 2}};

std::string coverage(Random& rng) {
    int r = rng.below(100);
    for (const auto& [name, share] : kCoverage) {
        if (r < share) return name;
        r -= share;
    }
    return "급여";
}

std::string two(int n) {
    return (n < 10 ? "0" : "") + std::to_string(n);
}

// Validity periods: the first from 1 January of the first year, each later
// one from a quarter's first day, the last open-ended.
std::vector<std::pair<std::string, std::string>> periods(Random& rng, int years) {
    static const int months[] = {1, 1, 1, 4, 7, 10};
    static const char* const lastDay[] = {"", "0131", "", "0331", "", "", "0630", "", "", "0930"};
    std::vector<std::pair<std::string, std::string>> p;
    int first = FeeSchedule::kLastYear - years + 1;
    p.emplace_back(std::to_string(first) + "0101", "");
    for (int y = first + 1; y <= FeeSchedule::kLastYear; ++y) {
        int m = rng.pick(months);
        p.back().second = m == 1 ? std::to_string(y - 1) + "1231" : std::to_string(y) + lastDay[m - 1];
        p.emplace_back(std::to_string(y) + two(m) + "01", "");
    }
    p.back().second = "99991231";
    return p;
}

struct Writer {
    SqliteConnection& db;
    std::set<std::string>& noticeDates;
    long long rows = 0;

    void drug(Random& rng, const std::string& code, const std::string& name, const std::string& maker,
              const Form& form, const std::string& cover, int price, const std::string& ingredient,
              const std::string& flag, int years) {
        const std::string oldCode = "A" + code.substr(1, 8);
        const std::string cls = rng.pick(kClasses);
        for (const auto& [start, end] : periods(rng, years)) {
            noticeDates.insert(start);
            std::int32_t shown = cover == "비급여" ? 0 : price;
            db.execute(
                "INSERT INTO DBF심평원약 (표준코드, 코드, 약품명, 업소명, 규격단위, 급여구분, 상한가, "
                "분류번호,"
                " 주성분코드, 임의조제, 적용시작일, 적용종료일) VALUES (?,?,?,?,?,?,?,?,?,?,?,?)",
                {code, oldCode, name, maker, form.unit, cover, shown, cls, ingredient, flag, start, end});
            ++rows;
            // most prices stay, some are cut, a few rise
            int r = rng.below(100);
            if (r < 25)
                price = std::max(1, price - price * (1 + rng.below(8)) / 100);
            else if (r < 30)
                price += std::max(1, price * (1 + rng.below(5)) / 100);
        }
    }
};

} // namespace

const std::array<const char*, 50>& DrugList::twinCodes() {
    static const std::array<const char*, 50> codes = {
        "64000578J", "64170374J", "64190541J", "64210390J", "64220026J", "64220027J", "64220302J",
        "64240310J", "64250627J", "64270545J", "64290385J", "64330576J", "64350556J", "64390290J",
        "64491305J", "64530412J", "64590516J", "64780339J", "64810289J", "64850635J", "64900086J",
        "64980512J", "65000156J", "65030271J", "65260289J", "65310235J", "65340203J", "65380449J",
        "65730536J", "65750181J", "65870009J", "65870010J", "65870011J", "66840176J", "67030322J",
        "67170302J", "67860008J", "68450047J", "67000163J", "64160036J", "64160464J", "64250162J",
        "64350084J", "64360103J", "64810032J", "65560008J", "65560345J", "66170011J", "66170058J",
        "66890002J"};
    return codes;
}

long long DrugList::write(SqliteConnection& drugDb, SqliteConnection& packDb, int drugs, int years,
                          unsigned long long seed) {
    Random rng(seed);
    std::set<std::string> noticeDates;
    Writer w{drugDb, noticeDates};
    // Makers own company numbers 1000-3999, so no generated code meets a twin
    // code (those start with 64 to 68).
    constexpr int kMakers = static_cast<int>(std::size(kMakerHeads) * std::size(kMakerTails));
    std::vector<int> products(kMakers, 0);
    auto makerName = [](int m) {
        return std::string(kMakerHeads[m / std::size(kMakerTails)]) + kMakerTails[m % std::size(kMakerTails)];
    };
    for (int i = 0; i < drugs; ++i) {
        int m = rng.below(kMakers);
        while (products[static_cast<std::size_t>(m)] > 999)
            m = (m + 1) % kMakers;
        int serial = products[static_cast<std::size_t>(m)]++;
        std::string code =
            "6" + std::to_string(1000 + m * 19) + std::to_string(1000 + serial).substr(1) + "0";
        const Form& form = rng.pick(kForms);
        const char* stem = stemFor(rng, form.route);
        int strength = 5 * (1 + rng.below(100));
        std::string route = rng.chance(1) ? "" : form.route; // a few names carry no route
        std::string name = std::string(stem) + form.name + std::to_string(strength) + "mg" + route;
        if (rng.chance(60))
            name = std::string(kMakerHeads[static_cast<std::size_t>(m) / std::size(kMakerTails)]) + name;
        std::string ingredient =
            std::to_string(100000 + static_cast<int>(fnv(stem) % 9000) * 10 + strength % 10) + "A" +
            form.formCode;
        std::string flag;
        int f = rng.below(100);
        if (f < 1 && route != "(외용)")
            flag = "마약";
        else if (f < 4)
            flag = "향정";
        int price = form.minPrice + rng.below(form.maxPrice - form.minPrice + 1);
        w.drug(rng, code, name, makerName(m), form, coverage(rng), price, ingredient, flag, years);
        if (rng.chance(3)) packDb.execute("INSERT INTO 팩단위약 (코드) VALUES (?)", {code});
    }
    // The twin table's "J" codes and their twins ("J" replaced by "0"); the
    // twin is the original, priced somewhat above its "J" code.
    for (const char* j : twinCodes()) {
        std::string twin = std::string(j).substr(0, 8) + "0";
        const Form& form = kForms[0];
        std::string name = std::string(rng.pick(kInternalStems)) + "정" +
                           std::to_string(10 * (1 + rng.below(20))) + "mg(내복)";
        int price = 100 + rng.below(700);
        std::string maker = makerName(rng.below(kMakers));
        // both walk the same price periods and changes, so the twin stays dearer
        Random twinWalk = rng, jWalk = rng;
        w.drug(twinWalk, twin, name, maker, form, "급여", price + price / 10 + 10, "200101ATB", "", years);
        w.drug(jWalk, j, name, maker, form, "급여", price, "200101ATB", "", years);
        rng = twinWalk;
    }
    for (const auto& d : noticeDates)
        drugDb.execute("INSERT INTO 고시적용일 (고시적용일) VALUES (?)", {d});
    return w.rows;
}

} // namespace pelmora::refgen
