#include "host/XmlFile.h"

#include <tinyxml.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

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

// The bytes TinyXML takes as one character when it reads UTF-8 text, by lead byte.
size_t Utf8Length(unsigned char lead) {
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 1;
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

}  // namespace

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
    // TinyXML reading UTF-8 takes a lead byte and the bytes it announces as one character,
    // whatever they are: a quote or '<' among them would be swallowed, and a lead byte at the
    // end makes it read past the text.
    const std::string_view parsed = text.substr(0, text.find('\0'));
    for (size_t at = 0; at < parsed.size(); ++at) {
        const size_t length = Utf8Length(static_cast<unsigned char>(parsed[at]));
        for (size_t next = 1; next < length; ++next) {
            if (at + next >= parsed.size() ||
                static_cast<unsigned char>(parsed[at + next]) < 0x80) {
                error = "malformed UTF-8 at byte " + std::to_string(at);
                return false;
            }
        }
        at += length - 1;
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
    std::rewind(file.get());
    if (!document.LoadFile(file.get(), TIXML_DEFAULT_ENCODING)) {
        error = std::string(document.ErrorDesc()) + " (line " +
                std::to_string(document.ErrorRow()) + ")";
        return false;
    }
    return true;
}

bool XmlFile::Load(TiXmlDocument& document, const std::string& path) {
    std::string error;
    return Load(document, path, error);
}
