#include "common/NumberFormat.h"

#include <charconv>
#include <cmath>
#include <system_error>

namespace qz::num {
namespace {

// A finite, non-zero value rounded to some significant digits: the digits
// without trailing zeros and the decimal exponent k of d.ddd x 10^k.
struct Decimal {
    bool negative = false;
    std::string digits;
    int exponent = 0;
};

Decimal RoundToDigits(long double value, int digits) {
    // Scientific form of the exact binary value, rounded once by to_chars:
    // "-d.ddde+kk" (at most 18 digits, the exponent at most five digits).
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                             digits - 1);
    Decimal d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; p != res.ptr && *p != 'e'; ++p) {
        if (*p != '.') d.digits.push_back(*p);
    }
    ++p; // 'e'
    std::from_chars(*p == '+' ? p + 1 : p, res.ptr, d.exponent);
    while (d.digits.size() > 1 && d.digits.back() == '0') d.digits.pop_back();
    return d;
}

std::string NonFinite(long double value) {
    if (std::isnan(value)) return "NAN";
    return value < 0 ? "-INF" : "INF";
}

int ClampPrecision(int precision) { return precision < 1 ? 1 : (precision > 18 ? 18 : precision); }

// Plain notation of digits d1 d2 ... with the decimal exponent k, followed by
// at least `minDecimals` decimals (zeros appended as needed).
std::string Plain(const Decimal& d, char separator, int minDecimals) {
    std::string out;
    if (d.negative) out.push_back('-');
    const int n = static_cast<int>(d.digits.size());
    std::string frac;
    if (d.exponent >= 0) {
        const int intDigits = d.exponent + 1;
        for (int i = 0; i < intDigits; ++i) out.push_back(i < n ? d.digits[i] : '0');
        if (n > intDigits) frac = d.digits.substr(intDigits);
    } else {
        out.push_back('0');
        frac.assign(static_cast<std::size_t>(-d.exponent - 1), '0');
        frac += d.digits;
    }
    if (static_cast<int>(frac.size()) < minDecimals) frac.resize(minDecimals, '0');
    if (!frac.empty()) {
        out.push_back(separator);
        out += frac;
    }
    return out;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimBlanks(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

} // namespace

std::string FormatGeneral(long double value, int precision, char separator) {
    if (!std::isfinite(value)) return NonFinite(value);
    if (value == 0) return "0";
    precision = ClampPrecision(precision);
    const Decimal d = RoundToDigits(value, precision);
    if (d.exponent > -5 && d.exponent < precision) return Plain(d, separator, 0);

    std::string out;
    if (d.negative) out.push_back('-');
    out.push_back(d.digits[0]);
    if (d.digits.size() > 1) {
        out.push_back(separator);
        out.append(d.digits, 1);
    }
    out.push_back('E');
    out += std::to_string(d.exponent);
    return out;
}

std::string FormatFixed(long double value, int precision, int decimals, char separator) {
    if (!std::isfinite(value)) return NonFinite(value);
    precision = ClampPrecision(precision);
    decimals = decimals < 0 ? 0 : (decimals > 18 ? 18 : decimals);
    if (value == 0) return Plain(Decimal{false, "0", 0}, separator, decimals);

    const Decimal d = RoundToDigits(value, precision);
    if (d.exponent + 1 > precision) return FormatGeneral(value, precision, separator);
    if (precision - 1 - d.exponent <= decimals) {
        // The significant digits end within the decimals: pad with zeros.
        return Plain(d, separator, decimals);
    }
    // The decimals cut off more than the significant digits do: round the
    // exact value once at the last decimal instead of rounding twice.
    char buf[128];
    auto res = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    std::string out(buf, res.ptr);
    bool allZero = true;
    for (char& c : out) {
        if (c == '.') c = separator;
        else if (c >= '1' && c <= '9') allZero = false;
    }
    if (allZero && !out.empty() && out[0] == '-') out.erase(0, 1);
    return out;
}

std::optional<long double> ParseNumber(std::string_view text, char separator) {
    text = TrimBlanks(text);
    std::string normal; // the number with '.' as separator, for from_chars
    normal.reserve(text.size());
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        if (negative) normal.push_back('-');
        ++i;
    }
    int mantissaDigits = 0;
    bool sawSeparator = false;
    // Where the first non-zero digit stands, to tell overflow from underflow
    // when the value is out of range.
    long long intDigits = 0;
    long long firstNonZero = -1;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++mantissaDigits;
            if (!sawSeparator) ++intDigits;
            if (c != '0' && firstNonZero < 0) firstNonZero = mantissaDigits - 1;
            normal.push_back(c);
        } else if (c == separator && !sawSeparator) {
            sawSeparator = true;
            normal.push_back('.');
        } else {
            break;
        }
    }
    if (mantissaDigits == 0) return std::nullopt;
    long long exponent = 0;
    if (i < text.size()) {
        if (text[i] != 'E' && text[i] != 'e') return std::nullopt;
        normal.push_back('e');
        ++i;
        bool expNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            expNegative = text[i] == '-';
            normal.push_back(text[i]);
            ++i;
        }
        if (i == text.size()) return std::nullopt;
        for (; i < text.size(); ++i) {
            if (text[i] < '0' || text[i] > '9') return std::nullopt;
            normal.push_back(text[i]);
            if (exponent < 1000000000) exponent = exponent * 10 + (text[i] - '0');
        }
        if (expNegative) exponent = -exponent;
    }
    if (firstNonZero < 0) return negative ? -0.0L : 0.0L;

    long double value = 0;
    const char* first = normal.data();
    if (*first == '-') ++first; // from_chars reads the magnitude
    auto res = std::from_chars(first, normal.data() + normal.size(), value,
                               std::chars_format::general);
    if (res.ec == std::errc::result_out_of_range) {
        // The value lies near 10^(intDigits - firstNonZero - 1 + exponent).
        if (intDigits - firstNonZero + exponent > 0) return std::nullopt; // overflow
        value = 0;                                                         // underflow
    } else if (res.ec != std::errc() || res.ptr != normal.data() + normal.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<long long> ParseInteger(std::string_view text) {
    text = TrimBlanks(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
        if (!text.empty() && text.front() == '-') return std::nullopt;
    }
    long long value = 0;
    const char* end = text.data() + text.size();
    auto res = std::from_chars(text.data(), end, value);
    if (res.ec != std::errc() || res.ptr != end) return std::nullopt;
    return value;
}

std::string FormatRoundTrip(double value) {
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, value);
    return std::string(buf, res.ptr);
}

} // namespace qz::num
