#pragma once
// The length limit of a text field counted in characters, as the pharmacist
// counts them, not in UTF-16 units: a character outside the basic plane
// (an emoji, a rare Hanja) counts once and is never cut in half. Text past
// the limit is cut where it was typed or pasted, whole characters only.

#include <QValidator>

namespace pelmora {

class CharLimit : public QValidator {
    Q_OBJECT
  public:
    CharLimit(int limit, QObject* parent = nullptr) : QValidator(parent), limit_(limit) {}
    int limit() const { return limit_; }
    State validate(QString& input, int& pos) const override;

  private:
    int limit_;
};

// Characters in a text, a surrogate pair counting once.
int CharCount(QStringView text);

} // namespace pelmora
