#pragma once
#include <string>

namespace qz {

class TPNObjekt;

// The sample time of a document: the text as typed, its unit (0 seconds,
// 1 milliseconds) and the time in seconds the simulation steps by.

inline constexpr const char* kDefaultSampleTimeText = "100";

// The sample time field takes a typed "." as the decimal comma.
std::string NormaliseSampleTimeText(std::string text);

// Applies a typed sample time to the document's root object: an empty text
// becomes "100"; "100" with milliseconds is 0.1 s, with seconds 100 s. A
// text that is no number changes nothing (false).
bool ApplySampleTime(TPNObjekt& root, std::string text, int unit);

// Derives the seconds from the stored text and unit (after loading a net);
// a missing text becomes "100"; a text that is no number keeps the seconds.
void UpdateSampleTimeSeconds(TPNObjekt& root);

// The text the sample time field shows for a document: the seconds (unit 0)
// or the milliseconds (unit 1), with the decimal comma.
std::string SampleTimeFieldText(const TPNObjekt& root);

// The sample time a new document window gives its root: "100" milliseconds.
void UseNewDocumentSampleTime(TPNObjekt& root);

} // namespace qz
