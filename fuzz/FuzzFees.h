#pragma once
// The fee schedule the pricing targets price against: a few fee items in
// memory, with a Saturday item, a price of a ten-thousandth of a won, and a
// later row of an item without name or price.

#include "data/RefConnection.h"
#include "data/SqliteConnection.h"

namespace pelmora::fuzz {

inline pelmora::RefConnection& fees() {
    static auto db = [] {
        auto c = pelmora::SqliteConnection::memory();
        c->executeScript(
            "CREATE TABLE DBF심평원수 (수가코드 TEXT, 수가명 TEXT, 수가단가 REAL, 수가일자 TEXT);"
            "INSERT INTO DBF심평원수 VALUES ('Z1000', '약국관리료', 520, '20000101'),"
            "('Z2000', '조제기본료', 1360.5, '20000101'), ('Z3000', '복약지도료', 910, '20000101'),"
            "('Z4103', '내복약조제료', 1460, '20000101'), ('Z4121', '외용약조제료', 600, '20000101'),"
            "('Z5000', '의약품관리료', 560, '20000101'), ('Z2000030', '토요', 410.25, '20000101'),"
            "('Z4103030', '토요', 0.0001, '20130101'), ('Z3000', NULL, NULL, '20200101');");
        return c;
    }();
    static pelmora::SqliteRefConnection cn(*db);
    return cn;
}

} // namespace pelmora::fuzz
