#pragma once
#include <optional>
#include <string>

namespace qz {

class TPNObjekt;

// The sample time of a document: the text as typed, its unit (0 seconds,
// 1 milliseconds) and the time in seconds the simulation steps by.

inline constexpr const char* kDefaultSampleTimeText = "100";

// The sample time field takes a typed "." as the decimal comma.
std::string NormaliseSampleTimeText(std::string text);

// The seconds a sample time text stands for in its unit (0 seconds, 1
// milliseconds); none unless it is a positive number whose seconds model
// time can count in (finite as a double, not rounded to 0). Model time
// running backwards, standing still or jumping to infinity is no run.
std::optional<double> SampleTimeSeconds(const std::string& text, int unit);
// "The sample time must be a positive number; \"<text>\" is not one."
std::string SampleTimeFaultText(const std::string& text);
// The warning for a net whose stored sample time is refused: it runs with
// the default of a new window.
std::string StoredSampleTimeFaultText(const std::string& text);

// Applies a typed sample time to the document's root object: an empty text
// becomes "100"; "100" with milliseconds is 0.1 s, with seconds 100 s. A
// text that gives no valid sample time changes nothing (false).
bool ApplySampleTime(TPNObjekt& root, std::string text, int unit);

// Derives the seconds from the stored text and unit (after loading a net);
// a missing text becomes "100". A text that gives no valid sample time is
// replaced by the default of a new document window (false).
bool UpdateSampleTimeSeconds(TPNObjekt& root);

// The text the sample time field shows for a document: the seconds (unit 0)
// or the milliseconds (unit 1), with the decimal comma.
std::string SampleTimeFieldText(const TPNObjekt& root);

// The sample time a new document window gives its root: "100" milliseconds.
void UseNewDocumentSampleTime(TPNObjekt& root);

} // namespace qz
