#include "QuenzorSchema.h"

#include <charconv>

namespace qz::pnml {

std::string ExactText(long double v) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v);
    return std::string(buf, r.ptr);
}

namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\n' || s.front() == '\r'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\n' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

} // namespace

std::optional<long double> ParseExact(std::string_view text) {
    text = Trim(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    if (text.empty()) return std::nullopt;
    long double v = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size()) return std::nullopt;
    return v;
}

std::string RectText(const TRect& r) {
    return std::to_string(r.left) + ' ' + std::to_string(r.top) + ' ' + std::to_string(r.right) +
           ' ' + std::to_string(r.bottom);
}

std::optional<TRect> ParseRect(std::string_view text) {
    std::int32_t v[4];
    const char* p = text.data();
    const char* end = p + text.size();
    for (int i = 0; i < 4; ++i) {
        while (p < end && *p == ' ') ++p;
        const auto r = std::from_chars(p, end, v[i]);
        if (r.ec != std::errc()) return std::nullopt;
        p = r.ptr;
    }
    while (p < end && *p == ' ') ++p;
    if (p != end) return std::nullopt;
    return TRect{v[0], v[1], v[2], v[3]};
}

} // namespace qz::pnml
