#include "settings/SampleTime.h"

#include <algorithm>

#include "common/NumberFormat.h"
#include "model/TPNObjekt.h"

namespace qz {

std::string NormaliseSampleTimeText(std::string text) {
    std::replace(text.begin(), text.end(), '.', num::kDecimalSeparator);
    return text;
}

bool ApplySampleTime(TPNObjekt& root, std::string text, int unit) {
    if (text.empty()) text = kDefaultSampleTimeText;
    const std::optional<long double> v = num::ParseNumber(text);
    if (!v) return false;
    root.sampleTimeSeconds = static_cast<double>(unit == 0 ? *v : *v / 1000);
    root.timeUnit = unit;
    root.sampleTimeText = text;
    return true;
}

void UpdateSampleTimeSeconds(TPNObjekt& root) {
    if (root.sampleTimeText.empty()) root.sampleTimeText = kDefaultSampleTimeText;
    const std::optional<long double> v = num::ParseNumber(root.sampleTimeText);
    if (!v) return;
    root.sampleTimeSeconds = static_cast<double>(root.timeUnit == 0 ? *v : *v / 1000);
}

std::string SampleTimeFieldText(const TPNObjekt& root) {
    const long double s = root.sampleTimeSeconds;
    return num::FormatGeneral(root.timeUnit == 0 ? s : s * 1000);
}

void UseNewDocumentSampleTime(TPNObjekt& root) {
    root.timeUnit = 1;
    root.sampleTimeText = kDefaultSampleTimeText;
    root.sampleTimeSeconds = 0.1;
}

} // namespace qz
