#include "CodeTables.h"

namespace pelmora::codes {

const std::array<const char*, 25> kInsClass = {"선택안함",      "건강보험",   "의료급여1종",
                                               "의료급여2종",   "행려",       "2종대상자장애인진료",
                                               "보훈30",        "보훈50",     "보훈60",
                                               "보훈100",       "공상",       "약사본인",
                                               "산재보험",      "산재후유",   "자동차보험",
                                               "차상위1종",     "차상위2종E", "차상위2종F",
                                               "희귀난치",      "비보험",     "긴급복지의료지원금",
                                               "소외계층",      "보훈90",     "전상군경(보험)",
                                               "전상군경(일반)"};

const std::vector<InsKind>& insKinds() {
    static const std::vector<InsKind> kinds = {
        {"건강보험",
         {{"-", 1},
          {"공상", 10},
          {"차상위1종", 15},
          {"차상위2종E", 16},
          {"차상위2종F", 17},
          {"희귀난치", 18},
          {"긴급복지의료지원금", 20}}},
        {"의료급여", {{"의료급여1종", 2}, {"의료급여2종", 3}, {"행려", 4}, {"2종대상자장애인진료", 5}}},
        {"보훈", {{"30", 6}, {"50", 7}, {"60", 8}, {"90", 22}, {"100", 9}}},
        {"산재보험", {{"산재", 12}, {"산재후유", 13}}},
        {"자동차보험", {{"-", 14}}},
        {"약사본인", {{"-", 11}}},
        {"비보험", {{"-", 19}}},
        {"소외계층", {{"-", 21}}},
        {"전상군경", {{"전상군경(보험)", 23}, {"전상군경(일반)", 24}}},
    };
    return kinds;
}

bool kindOfClass(int insClass, int* kind, int* sub) {
    const auto& kinds = insKinds();
    for (std::size_t k = 0; k < kinds.size(); ++k)
        for (std::size_t s = 0; s < kinds[k].subs.size(); ++s)
            if (kinds[k].subs[s].insClass == insClass) {
                *kind = static_cast<int>(k);
                *sub = static_cast<int>(s);
                return true;
            }
    return false;
}

const std::array<InsShortcut, 9> kInsShortcut = {{{"건강보험", 0, 0},
                                                  {"의료급여1", 1, 0},
                                                  {"의료급여2", 1, 1},
                                                  {"비보험", 6, 0},
                                                  {"보훈 30", 2, 0},
                                                  {"보훈 50", 2, 1},
                                                  {"보훈 60", 2, 2},
                                                  {"보훈 100", 2, 4},
                                                  {"보훈 90", 2, 3}}};

const std::array<const char*, 5> kAfterHours = {"정상", "야간", "공휴", "심야(6세미만소아)",
                                                "토요가산(09~13)"};
const std::array<const char*, 3> kAgeClass = {"정상", "6세미만", "65세이상"};

const std::array<const char*, 7> kCoverage = {"급여",   "비급여", "100/100", "50/100",
                                              "80/100", "30/100", "90/100"};
const std::array<const char*, 3> kRoute = {"내복", "외용", "주사"};

const std::vector<const char*>& patientShareCodes() {
    static const std::vector<const char*> list = {"해당없음", "M001", "M002", "M003", "M004", "M005", "M006",
                                                  "M007",     "M008", "M009", "M010", "M011", "M012", "M013",
                                                  "M014",     "B001", "B002", "B003", "B004", "B005", "B006",
                                                  "B007",     "B008", "B009", "B099"};
    return list;
}

std::int64_t coverageColour(int coverage) {
    switch (coverage) {
    case 0:
        return 0;
    case 1:
        return 255;
    case 2:
        return 16711680;
    default:
        return 16711935;
    }
}

} // namespace pelmora::codes
