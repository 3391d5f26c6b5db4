#include "host/XmlFile.h"

#include <tinyxml.h>

#include <iconv.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

bool StartsWith(std::string_view text, size_t at, std::string_view prefix, bool ignore_case) {
    if (text.size() - at < prefix.size()) {
        return false;
    }
    for (size_t i = 0; i < prefix.size(); ++i) {
        char c = text[at + i];
        if (ignore_case && c >= 'A' && c <= 'Z') {
            c = char(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Only the white space TinyXML certainly skips too; where it skips more, it reads more as markup
// than this scan assumes, which keeps the scan on the safe side.
bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// TinyXML takes '<' followed by one of these as the start of an element.
bool StartsName(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 127 || (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') || c == '_';
}

bool IsNameChar(char c) {
    return StartsName(c) || (c >= '0' && c <= '9') || c == '-' || c == '.' || c == ':';
}

// The length of the well-formed UTF-8 sequence at `at`, or 0: no overlong forms, surrogates or
// code points beyond U+10FFFF.
size_t Utf8SequenceLength(std::string_view text, size_t at) {
    const auto byte = [&](size_t i) {
        return at + i < text.size() ? static_cast<unsigned char>(text[at + i]) : 0u;
    };
    const unsigned lead = byte(0);
    const auto continuation = [&](size_t i, unsigned low = 0x80, unsigned high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return continuation(1) ? 2 : 0;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        const unsigned low = lead == 0xE0 ? 0xA0 : 0x80;
        const unsigned high = lead == 0xED ? 0x9F : 0xBF;
        return continuation(1, low, high) && continuation(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const unsigned low = lead == 0xF0 ? 0x90 : 0x80;
        const unsigned high = lead == 0xF4 ? 0x8F : 0xBF;
        return continuation(1, low, high) && continuation(2) && continuation(3) ? 4 : 0;
    }
    return 0;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && StartsWith(a, 0, b, true);
}

size_t SkipPast(std::string_view text, size_t from, std::string_view end) {
    const size_t found = text.find(end, from);
    return found == std::string_view::npos ? text.size() : found + end.size();
}

// Position after a quoted value starting at `at` (on the quote).
size_t SkipQuoted(std::string_view text, size_t at) {
    return SkipPast(text, at + 1, text.substr(at, 1));
}

// An XML declaration as TinyXML reads it: "version", "encoding" and "standalone" take (possibly
// quoted) values, any other word runs to white space or '>'. Returns the position after it, or
// npos where TinyXML gives up on the document.
size_t SkipDeclaration(std::string_view text, size_t at) {
    while (at < text.size()) {
        if (text[at] == '>') {
            return at + 1;
        }
        while (at < text.size() && IsSpace(text[at])) {
            ++at;
        }
        if (StartsWith(text, at, "version", true) || StartsWith(text, at, "encoding", true) ||
            StartsWith(text, at, "standalone", true)) {
            while (at < text.size() && IsNameChar(text[at])) {
                ++at;
            }
            while (at < text.size() && IsSpace(text[at])) {
                ++at;
            }
            if (at >= text.size() || text[at] != '=') {
                return std::string_view::npos;
            }
            ++at;
            while (at < text.size() && IsSpace(text[at])) {
                ++at;
            }
            if (at < text.size() && (text[at] == '"' || text[at] == '\'')) {
                at = SkipQuoted(text, at);
            } else {
                while (at < text.size() && !IsSpace(text[at]) && text[at] != '/' &&
                       text[at] != '>') {
                    if (text[at] == '"' || text[at] == '\'') {
                        return std::string_view::npos;
                    }
                    ++at;
                }
            }
        } else {
            while (at < text.size() && text[at] != '>' && !IsSpace(text[at])) {
                ++at;
            }
        }
    }
    return at;
}

// The value of the first declaration's "encoding", or empty: the declaration TinyXML takes its
// encoding from, when it comes first apart from white space and comments.
std::string_view EncodingValue(std::string_view text) {
    size_t at = 0;
    for (;;) {
        while (at < text.size() && IsSpace(text[at])) {
            ++at;
        }
        if (!StartsWith(text, at, "<!--", false)) {
            break;
        }
        at = SkipPast(text, at + 4, "-->");
    }
    if (!StartsWith(text, at, "<?xml", true)) {
        return {};
    }
    const size_t end = std::min(text.find('>', at), text.size());
    const std::string_view declaration = text.substr(at + 5, end - at - 5);
    for (size_t word = 0; word < declaration.size(); ++word) {
        if (!StartsWith(declaration, word, "encoding", true)) {
            continue;
        }
        size_t value = declaration.find_first_not_of(" \t\n\v\f\r=", word + 8);
        if (value == std::string_view::npos) {
            return {};
        }
        if (declaration[value] == '"' || declaration[value] == '\'') {
            const size_t close = declaration.find(declaration[value], value + 1);
            return declaration.substr(value + 1, close == std::string_view::npos
                                                     ? std::string_view::npos
                                                     : close - value - 1);
        }
        const size_t stop = declaration.find_first_of(" \t\n\v\f\r/?", value);
        return declaration.substr(value, stop == std::string_view::npos ? stop : stop - value);
    }
    return {};
}

bool IsValidUtf8(std::string_view text) {
    for (size_t at = 0; at < text.size();) {
        const size_t length = Utf8SequenceLength(text, at);
        if (length == 0) {
            return false;
        }
        at += length;
    }
    return true;
}

// Calls `visit(text, replacement)` on every name, attribute and text below `top`; a visit that
// fills `replacement` changes the string, one that returns false stops the walk with false.
// Iterative: a document may nest up to XmlFile::kMaxDepth levels.
template <typename Visit>
bool VisitStrings(TiXmlNode* top, Visit visit) {
    std::string replacement;
    const auto apply = [&](const char* text, auto set) {
        replacement.clear();
        if (!visit(text ? text : "", replacement)) {
            return false;
        }
        if (!replacement.empty()) {
            set(replacement);
        }
        return true;
    };
    std::vector<TiXmlNode*> pending{top};
    while (!pending.empty()) {
        TiXmlNode* node = pending.back();
        pending.pop_back();
        if (node != top &&
            !apply(node->Value(), [node](const std::string& text) { node->SetValue(text); })) {
            return false;
        }
        if (TiXmlElement* element = node->ToElement()) {
            for (TiXmlAttribute* attribute = element->FirstAttribute(); attribute;
                 attribute = attribute->Next()) {
                if (!apply(attribute->Name(),
                           [attribute](const std::string& text) { attribute->SetName(text); }) ||
                    !apply(attribute->Value(),
                           [attribute](const std::string& text) { attribute->SetValue(text); })) {
                    return false;
                }
            }
        }
        for (TiXmlNode* child = node->FirstChild(); child; child = child->NextSibling()) {
            pending.push_back(child);
        }
    }
    return true;
}

// Converts text from one encoding to UTF-8 with iconv.
class Utf8Converter {
public:
    explicit Utf8Converter(const std::string& encoding)
        : m_converter(::iconv_open("UTF-8", encoding.c_str())) {}
    ~Utf8Converter() {
        if (IsOpen()) {
            ::iconv_close(m_converter);
        }
    }
    Utf8Converter(const Utf8Converter&) = delete;
    Utf8Converter& operator=(const Utf8Converter&) = delete;

    // Whether iconv knows the encoding and it keeps ASCII as it is, as TinyXML's byte-wise
    // reading of the markup assumes (UTF-16, for one, does not).
    bool IsUsable() {
        const std::string sample = "<QuillmarProject id=\"0\"/>";
        std::string converted;
        return IsOpen() && Run(sample, converted) && converted == sample;
    }

    // Leaves `converted` empty for text that stays the same.
    bool Convert(const char* text, std::string& converted) {
        const std::string_view input = text;
        if (std::all_of(input.begin(), input.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
            return true;
        }
        return Run(input, converted);
    }

private:
    bool IsOpen() const { return m_converter != reinterpret_cast<iconv_t>(-1); }

    bool Run(std::string_view text, std::string& converted) {
        std::string input(text);
        converted.assign(input.size() * 4 + 4, '\0');
        char* in = input.data();
        size_t in_left = input.size();
        char* out = converted.data();
        size_t out_left = converted.size();
        ::iconv(m_converter, nullptr, nullptr, nullptr, nullptr);
        if (::iconv(m_converter, &in, &in_left, &out, &out_left) == size_t(-1)) {
            return false;
        }
        converted.resize(converted.size() - out_left);
        return true;
    }

    iconv_t m_converter;
};

}  // namespace

std::string XmlFile::DeclaredEncoding(std::string_view text) {
    if (StartsWith(text, 0, "\xEF\xBB\xBF", false)) {
        return {};
    }
    const std::string_view value = EncodingValue(text.substr(0, text.find('\0')));
    if (value.empty() || EqualsIgnoringCase(value, "utf-8") || EqualsIgnoringCase(value, "utf8")) {
        return {};
    }
    return std::string(value);
}

size_t XmlFile::MaxNestingDepth(std::string_view text) {
    // TinyXML reads a C string: nothing after a NUL byte is parsed.
    text = text.substr(0, text.find('\0'));
    size_t depth = 0;
    size_t deepest = 0;
    size_t at = 0;
    while (at < text.size()) {
        if (text[at] != '<') {
            ++at;
        } else if (StartsWith(text, at, "<?xml", true)) {
            at = SkipDeclaration(text, at + 5);
            if (at == std::string_view::npos) {
                break;
            }
        } else if (StartsWith(text, at, "<!--", false)) {
            at = SkipPast(text, at + 4, "-->");
        } else if (StartsWith(text, at, "<![CDATA[", false)) {
            at = SkipPast(text, at + 9, "]]>");
        } else if (StartsWith(text, at, "</", false)) {
            depth = depth > 0 ? depth - 1 : 0;
            at = SkipPast(text, at + 2, ">");
        } else if (at + 1 < text.size() && StartsName(text[at + 1])) {
            // A start tag: quotes delimit attribute values, "/>" closes an empty element.
            deepest = std::max(deepest, depth + 1);
            at += 1;
            while (at < text.size()) {
                const char c = text[at];
                if (c == '"' || c == '\'') {
                    at = SkipQuoted(text, at);
                } else if (c == '>') {
                    ++depth;
                    ++at;
                    break;
                } else if (c == '/' && at + 1 < text.size() && text[at + 1] == '>') {
                    at += 2;
                    break;
                } else {
                    ++at;
                }
            }
        } else {
            // "<!DOCTYPE", "<?target" and other markup TinyXML keeps unparsed up to '>'.
            at = SkipPast(text, at + 1, ">");
        }
    }
    return deepest;
}

bool XmlFile::CheckText(std::string_view text, std::string& error) {
    const std::string_view parsed = text.substr(0, text.find('\0'));
    // TinyXML reading UTF-8 takes a lead byte and the bytes it announces as one character,
    // whatever they are: a quote or '<' among them would be swallowed, and a lead byte at the
    // end makes it read past the text. Text in another encoding is read byte by byte.
    if (DeclaredEncoding(parsed).empty()) {
        for (size_t at = 0; at < parsed.size();) {
            const size_t length = Utf8SequenceLength(parsed, at);
            if (length == 0) {
                error = "malformed UTF-8 at byte " + std::to_string(at) +
                        " (the file declares no other encoding)";
                return false;
            }
            at += length;
        }
    }
    if (MaxNestingDepth(parsed) > kMaxDepth) {
        error = "elements nested deeper than " + std::to_string(kMaxDepth) + " levels";
        return false;
    }
    return true;
}

bool XmlFile::Load(TiXmlDocument& document, const std::string& path, std::string& error) {
    struct FileCloser {
        void operator()(FILE* file) const { std::fclose(file); }
    };
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::string text;
    char buffer[1 << 16];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof(buffer), file.get())) > 0) {
        text.append(buffer, count);
    }
    if (std::ferror(file.get())) {
        error = "cannot read " + path;
        return false;
    }
    if (!CheckText(text, error)) {
        return false;
    }
    const std::string encoding = DeclaredEncoding(text);
    std::optional<Utf8Converter> converter;
    if (!encoding.empty()) {
        converter.emplace(encoding);
        if (!converter->IsUsable()) {
            error = "unknown encoding \"" + encoding + "\"";
            return false;
        }
    }
    std::rewind(file.get());
    // The encoding is given rather than left to TinyXML: another encoding is read byte by byte,
    // so that no byte unchecked as UTF-8 is taken for UTF-8, and UTF-8 is read as UTF-8 even
    // without a declaration, so that character references become UTF-8 too.
    if (!document.LoadFile(file.get(), converter ? TIXML_ENCODING_LEGACY : TIXML_ENCODING_UTF8)) {
        error = std::string(document.ErrorDesc()) + " (line " +
                std::to_string(document.ErrorRow()) + ")";
        return false;
    }
    if (converter) {
        if (!VisitStrings(&document, [&](const char* text, std::string& converted) {
                return converter->Convert(text, converted);
            })) {
            error = "text that is not valid " + encoding;
            return false;
        }
    } else if (text.find("&#") != std::string::npos &&
               !VisitStrings(&document,
                             [](const char* text, std::string&) { return IsValidUtf8(text); })) {
        // A character reference can name what UTF-8 cannot hold, such as a lone surrogate.
        error = "a character reference that is not a valid character";
        return false;
    }
    return true;
}

bool XmlFile::Load(TiXmlDocument& document, const std::string& path) {
    std::string error;
    return Load(document, path, error);
}
