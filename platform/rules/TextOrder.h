// The order of names and cell texts that the report list and the pickers
// share, apart from any widget so that it can be measured and tested alone.
#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>
#include <functional>
#include <vector>

namespace platform {

// The order of texts in the report list, also used by the pickers for names:
// the empty text first, then case-insensitive in the user's locale with
// punctuation taking part (so "&" comes before every digit). Texts made only
// of digits, '.', '/' and '&' (the number and date sort keys) are ordered by
// a rank per character that matches the collation; other texts are keyed
// once per sort and the comparisons only compare keys.
class TextOrder {
public:
    explicit TextOrder(const QLocale& locale = QLocale());
    // The indexes 0 .. count - 1 in the order of textAt(index); equal texts
    // keep their index order, in both directions.
    std::vector<int> StableOrder(int count, const std::function<QString(int)>& textAt, bool descending) const;

private:
    QCollator collator_;
    // The C locale's collator compares code points and ignores the case
    // setting in its keys; there the case-folded texts themselves are the keys.
    bool plainFolding_ = false;
};

} // namespace platform
