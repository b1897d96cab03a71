#pragma once
#include <optional>
#include <string>
#include <string_view>

// The one place where numbers become text and text becomes numbers. Quenzor
// shows and reads numbers with the decimal comma, whatever the C/C++ locale.
namespace qz::num {

inline constexpr char kDecimalSeparator = ',';

// General format with at most `precision` significant digits (1..18): the
// shortest text without trailing zeros. With k the decimal exponent of the
// rounded value written d.ddd x 10^k, the plain form is used when
// -5 < k < precision ("0,0001"), otherwise the exponent form ("1E-5",
// "1,5E-7", "1,23456789012346E17"; no "+" and no leading zeros in the
// exponent). Zero of either sign is "0"; infinities and NaN are written
// "INF", "-INF" and "NAN".
std::string FormatGeneral(long double value, int precision = 15,
                          char separator = kDecimalSeparator);

// Fixed format: the value rounded to `precision` significant digits and
// written with exactly `decimals` (0..18) decimals ("2,50"); when the decimals
// end before the significant digits do, the value is rounded once at the last
// decimal. A value with more integer digits than `precision` falls back to
// FormatGeneral.
std::string FormatFixed(long double value, int precision, int decimals,
                        char separator = kDecimalSeparator);

// Reads a number written with `separator` as decimal separator: optional
// blanks around, optional sign, digits with at most one separator, optional
// exponent ("E" or "e", optional sign, digits). Anything else fails, so with
// the comma as separator "2.5" is not a number. Values too large for a long
// double fail; values too small for it read as zero.
std::optional<long double> ParseNumber(std::string_view text, char separator = kDecimalSeparator);

// Whole-integer reading for counts and sizes typed by users ("20", " -3 ").
std::optional<long long> ParseInteger(std::string_view text);

// Shortest text with a decimal point that reads back as the same double
// ("0.1", "2", "1e-07"); used by machine-readable exports (CSV).
std::string FormatRoundTrip(double value);

} // namespace qz::num
