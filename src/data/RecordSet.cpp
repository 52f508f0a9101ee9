#include "RecordSet.h"

#include "DbError.h"

#include <cctype>

namespace pelmora {

namespace {
bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]), y = static_cast<unsigned char>(b[i]);
        if (x < 0x80 && y < 0x80) {
            if (std::tolower(x) != std::tolower(y)) return false;
        } else if (x != y) {
            return false;
        }
    }
    return true;
}
DbError itemNotFound() {
    return {dberr::kItemNotFound, "요청한 이름 또는 서수에 해당하는 항목을 찾을 수 없습니다."};
}
} // namespace

int RecordSet::fieldIndex(std::string_view name) const {
    for (std::size_t i = 0; i < names_.size(); ++i)
        if (equalsNoCase(names_[i], name)) return static_cast<int>(i);
    return -1;
}

const Variant& RecordSet::field(std::string_view name) const {
    int i = fieldIndex(name);
    if (i < 0) throw itemNotFound();
    return field(i);
}

const Variant& RecordSet::field(int index) const {
    if (eof()) throw DbError(dberr::kNoCurrentRecord, "BOF 또는 EOF 중 하나가 참이거나 현재 레코드가 삭제되었습니다.");
    if (index < 0 || index >= fieldCount()) throw itemNotFound();
    return rows_[pos_][static_cast<std::size_t>(index)];
}

} // namespace pelmora
