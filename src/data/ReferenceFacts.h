#pragma once
// The published figures Pelmora carries, embedded from data/ at build time:
// tab-separated text with a header line. The fee schedule and the holidays
// of every root, real or demo, are built from them.

namespace pelmora {

extern const char* const kHolidaysTsv;   // 공휴일자, 설명
extern const char* const kFeeTotalsTsv;  // 연도, 투약일수, 마약류, 총조제료, 출처
extern const char* const kFeeItemsTsv;   // 연도, 항목, 수가코드, 금액, 출처
extern const char* const kFeeFactorsTsv; // 연도, 환산지수, 근거

} // namespace pelmora
