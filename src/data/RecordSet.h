#pragma once
// A record set read whole from a query: an end-of-file flag, move next,
// fields by column name (case-insensitive, as the record sets always were),
// NULL kept apart from empty text, and the record count of the result.

#include "util/Variant.h"

#include <string>
#include <string_view>
#include <vector>

namespace pelmora {

class RecordSet {
public:
    RecordSet() = default;
    RecordSet(std::vector<std::string> names, std::vector<std::vector<Variant>> rows)
        : names_(std::move(names)), rows_(std::move(rows)) {}

    bool eof() const { return pos_ >= rows_.size(); }
    bool bof() const { return rows_.empty(); }
    void moveNext() {
        if (pos_ < rows_.size()) ++pos_;
    }
    void moveFirst() { pos_ = 0; }
    void move(std::size_t row) { pos_ = row; }
    std::size_t position() const { return pos_; }
    long recordCount() const { return static_cast<long>(rows_.size()); }

    int fieldCount() const { return static_cast<int>(names_.size()); }
    const std::string& fieldName(int i) const { return names_.at(static_cast<std::size_t>(i)); }
    // Index of a column by name, -1 when there is none.
    int fieldIndex(std::string_view name) const;
    bool hasField(std::string_view name) const { return fieldIndex(name) >= 0; }
    // The current row's field; raises 3265 for an unknown name, 3021 at end of file.
    const Variant& field(std::string_view name) const;
    const Variant& field(int index) const;
    // Direct access for models that show a result lazily.
    const Variant& value(std::size_t row, int col) const { return rows_[row][static_cast<std::size_t>(col)]; }
    const std::vector<std::string>& names() const { return names_; }
    // The rows, moved out; the record set is left without rows.
    std::vector<std::vector<Variant>> takeRows() {
        pos_ = 0;
        return std::move(rows_);
    }

private:
    std::vector<std::string> names_;
    std::vector<std::vector<Variant>> rows_;
    std::size_t pos_ = 0;
};

} // namespace pelmora
