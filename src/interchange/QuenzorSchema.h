#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "common/Geometry.h"

// Names shared by the PNML writer and reader: Quenzor's own data travels in
// <toolspecific tool="Quenzor" version="2.7"> elements.
namespace qz::pnml {

inline constexpr const char* kPnmlNamespace = "http://www.pnml.org/version-2009/grammar/pnml";
inline constexpr const char* kPtNetType = "http://www.pnml.org/version-2009/grammar/ptnet";
inline constexpr const char* kCoreModelType = "http://www.pnml.org/version-2009/grammar/pnmlcoremodel";
inline constexpr const char* kToolName = "Quenzor";
inline constexpr const char* kToolVersion = "2.7";
// The namespace of the elements inside Quenzor's toolspecific data (files of
// earlier versions wrote them in the PNML namespace; the reader takes both).
inline constexpr const char* kToolNamespace = "urn:quenzor:pnml-data";
inline constexpr const char* kToolPrefix = "qz";

// Exact, locale-independent texts of numbers (shortest text that reads back
// as the same value).
std::string ExactText(long double v);
std::optional<long double> ParseExact(std::string_view text);
std::string RectText(const TRect& r);
std::optional<TRect> ParseRect(std::string_view text);

} // namespace qz::pnml
