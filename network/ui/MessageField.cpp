#include "network/ui/MessageField.h"

#include <QLineEdit>
#include <QValidator>

namespace {

qsizetype Utf8Size(QStringView text) { return text.toUtf8().size(); }

class Utf8Limit : public QValidator {
 public:
  Utf8Limit(size_t maxBytes, QObject* parent) : QValidator(parent), max_(static_cast<qsizetype>(maxBytes)) {}

  State validate(QString& input, int& pos) const override {
    qsizetype excess = Utf8Size(input) - max_;
    if (excess <= 0) return Acceptable;
    // What was just typed or pasted ends at the cursor, and the text before
    // it fitted: cut back from the cursor.
    qsizetype cut = pos;
    while (excess > 0 && cut > 0) {
      qsizetype from = cut - 1;
      if (from > 0 && input.at(from).isLowSurrogate() && input.at(from - 1).isHighSurrogate()) --from;
      excess -= Utf8Size(QStringView(input).mid(from, cut - from));
      cut = from;
    }
    if (excess > 0) return Invalid;
    input.remove(cut, pos - cut);
    pos = static_cast<int>(cut);
    return Acceptable;
  }

 private:
  qsizetype max_;
};

}  // namespace

void LimitUtf8(QLineEdit* field, size_t maxBytes) { field->setValidator(new Utf8Limit(maxBytes, field)); }
