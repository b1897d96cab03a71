#include "settings/SampleTime.h"

#include <algorithm>
#include <cmath>

#include "common/NumberFormat.h"
#include "model/TPNObjekt.h"

namespace qz {

std::string NormaliseSampleTimeText(std::string text) {
    std::replace(text.begin(), text.end(), '.', num::kDecimalSeparator);
    return text;
}

std::optional<double> SampleTimeSeconds(const std::string& text, int unit) {
    const std::optional<long double> v = num::ParseNumber(text);
    if (!v) return std::nullopt;
    const double seconds = static_cast<double>(unit == 0 ? *v : *v / 1000);
    if (!(seconds > 0) || !std::isfinite(seconds)) return std::nullopt;
    return seconds;
}

std::string SampleTimeFaultText(const std::string& text) {
    return "The sample time must be a positive number; \"" + text + "\" is not one.";
}

std::string StoredSampleTimeFaultText(const std::string& text) {
    return "The sample time \"" + text + "\" stored with this net is not a positive number.\r"
           "The net runs with a sample time of 100 milliseconds.";
}

bool ApplySampleTime(TPNObjekt& root, std::string text, int unit) {
    if (text.empty()) text = kDefaultSampleTimeText;
    const std::optional<double> seconds = SampleTimeSeconds(text, unit);
    if (!seconds) return false;
    root.sampleTimeSeconds = *seconds;
    root.timeUnit = unit;
    root.sampleTimeText = text;
    return true;
}

bool UpdateSampleTimeSeconds(TPNObjekt& root) {
    if (root.sampleTimeText.empty()) root.sampleTimeText = kDefaultSampleTimeText;
    const std::optional<double> seconds = SampleTimeSeconds(root.sampleTimeText, root.timeUnit);
    if (!seconds) {
        UseNewDocumentSampleTime(root);
        return false;
    }
    root.sampleTimeSeconds = *seconds;
    return true;
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
