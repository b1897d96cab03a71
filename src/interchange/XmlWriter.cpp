#include "XmlWriter.h"

namespace qz::pnml {

namespace {

// Length of the valid UTF-8 sequence at s[i], or 0.
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b0 = static_cast<unsigned char>(s[i]);
    std::size_t n = 0;
    unsigned cp = 0;
    if (b0 < 0x80) return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) { n = 2; cp = b0 & 0x1F; }
    else if (b0 >= 0xE0 && b0 <= 0xEF) { n = 3; cp = b0 & 0x0F; }
    else if (b0 >= 0xF0 && b0 <= 0xF4) { n = 4; cp = b0 & 0x07; }
    else return 0;
    if (i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF))) return 0;
    if (cp >= 0xD800 && cp <= 0xDFFF) return 0;
    if (cp == 0xFFFE || cp == 0xFFFF) return 0;
    return n;
}

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

} // namespace

XmlWriter::XmlWriter() { out_ = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"; }

void XmlWriter::AppendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (std::size_t i = 0; i < text.size();) {
        const char c = text[i];
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x80) {
            switch (c) {
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            case '&': out += "&amp;"; break;
            case '"': out += attribute ? "&quot;" : "\""; break;
            case '\t': out += attribute ? "&#9;" : "\t"; break;
            case '\n': out += attribute ? "&#10;" : "\n"; break;
            case '\r': out += "&#13;"; break;
            default:
                if (u < 0x20) out += kReplacement;
                else out += c;
            }
            ++i;
            continue;
        }
        const std::size_t n = Utf8Length(text, i);
        if (n == 0) {
            out += kReplacement;
            ++i;
        } else {
            out.append(text.substr(i, n));
            i += n;
        }
    }
}

void XmlWriter::Indent() {
    out_ += '\n';
    out_.append(open_.size(), ' ');
}

void XmlWriter::FinishStartTag() {
    if (inStartTag_) {
        out_ += '>';
        inStartTag_ = false;
    }
}

XmlWriter& XmlWriter::Open(std::string_view name) {
    FinishStartTag();
    if (!open_.empty() && !lastWasText_) Indent();
    out_ += '<';
    out_.append(name);
    open_.emplace_back(name);
    inStartTag_ = true;
    lastWasText_ = false;
    return *this;
}

XmlWriter& XmlWriter::Attr(std::string_view name, std::string_view value) {
    out_ += ' ';
    out_.append(name);
    out_ += "=\"";
    AppendEscaped(out_, value, true);
    out_ += '"';
    return *this;
}

XmlWriter& XmlWriter::Attr(std::string_view name, long long value) {
    return Attr(name, std::string_view(std::to_string(value)));
}

XmlWriter& XmlWriter::Text(std::string_view text) {
    FinishStartTag();
    AppendEscaped(out_, text, false);
    lastWasText_ = true;
    return *this;
}

XmlWriter& XmlWriter::Close() {
    if (open_.empty()) return *this;
    const std::string name = std::move(open_.back());
    open_.pop_back();
    if (inStartTag_) {
        out_ += "/>";
        inStartTag_ = false;
    } else {
        if (!lastWasText_) Indent();
        out_ += "</";
        out_ += name;
        out_ += '>';
    }
    lastWasText_ = false;
    if (open_.empty()) out_ += '\n';
    return *this;
}

XmlWriter& XmlWriter::TextElement(std::string_view name, std::string_view text) {
    Open(name);
    Text(text);
    return Close();
}

} // namespace qz::pnml
