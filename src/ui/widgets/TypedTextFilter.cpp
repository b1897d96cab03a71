#include "widgets/TypedTextFilter.h"

namespace qz::ui {

TypedTextFilter::TypedTextFilter(QString allowed, bool pointToComma, QObject* parent)
    : QValidator(parent), allowed_(std::move(allowed)), pointToComma_(pointToComma) {}

QValidator::State TypedTextFilter::validate(QString& input, int&) const {
    if (pointToComma_) input.replace(QLatin1Char('.'), QLatin1Char(','));
    for (const QChar c : input) {
        const bool digit = c >= QLatin1Char('0') && c <= QLatin1Char('9');
        if (!digit && !allowed_.contains(c)) return Invalid;
    }
    return Acceptable;
}

TypedTextFilter* TypedTextFilter::Digits(QObject* parent) { return new TypedTextFilter(QString(), false, parent); }

TypedTextFilter* TypedTextFilter::Decimal(QObject* parent) {
    return new TypedTextFilter(QStringLiteral(",-"), true, parent);
}

} // namespace qz::ui
