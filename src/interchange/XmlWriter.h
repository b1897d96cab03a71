#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace qz::pnml {

// A small streaming writer for well-formed UTF-8 XML. Texts and attribute
// values are escaped; bytes that are not valid UTF-8 become U+FFFD and
// control characters that XML 1.0 cannot carry become U+FFFD too.
class XmlWriter {
public:
    XmlWriter();

    // Opens <name; attributes follow until the next Text, Open or Close.
    XmlWriter& Open(std::string_view name);
    XmlWriter& Attr(std::string_view name, std::string_view value);
    XmlWriter& Attr(std::string_view name, long long value);
    // Writes escaped character data inside the current element.
    XmlWriter& Text(std::string_view text);
    // Closes the innermost open element (as <x/> when it holds nothing).
    XmlWriter& Close();
    // <name>text</name>
    XmlWriter& TextElement(std::string_view name, std::string_view text);

    // The document so far; every element must be closed.
    const std::string& Result() const { return out_; }
    std::string Take() { return std::move(out_); }

    static void AppendEscaped(std::string& out, std::string_view text, bool attribute);

private:
    void FinishStartTag();
    void Indent();

    std::string out_;
    std::vector<std::string> open_;
    bool inStartTag_ = false;
    bool lastWasText_ = false;
};

} // namespace qz::pnml
