#include "CharLimit.h"

namespace pelmora {

int CharCount(QStringView text) {
    int n = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++n)
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) ++i;
    return n;
}

// What was just typed or pasted stands before the cursor: the excess is cut
// from there, so the text the field held before keeps every character.
QValidator::State CharLimit::validate(QString& input, int& pos) const {
    int excess = CharCount(input) - limit_;
    if (excess <= 0) return Acceptable;
    int start = static_cast<int>(std::min<qsizetype>(pos, input.size()));
    const int end = start;
    for (; excess > 0 && start > 0; --excess) {
        const bool pair =
            start >= 2 && input[start - 1].isLowSurrogate() && input[start - 2].isHighSurrogate();
        start -= pair ? 2 : 1;
    }
    if (excess > 0) return Invalid;
    input.remove(start, end - start);
    pos = start;
    return Acceptable;
}

} // namespace pelmora
