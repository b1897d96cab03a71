#pragma once
#include <QValidator>

namespace qz::ui {

// Keeps only the characters a field accepts, whether typed or pasted; a
// typed "." may become the decimal comma. Backspace and Enter are keys, not
// characters, and always work.
class TypedTextFilter final : public QValidator {
    Q_OBJECT
public:
    TypedTextFilter(QString allowed, bool pointToComma, QObject* parent);
    State validate(QString& input, int& pos) const override;

    // Digits only (the grid size).
    static TypedTextFilter* Digits(QObject* parent);
    // Digits, "-" and the decimal comma, "." typed as "," (times).
    static TypedTextFilter* Decimal(QObject* parent);

private:
    QString allowed_;
    bool pointToComma_;
};

} // namespace qz::ui
