#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/HostExport.h"

class TiXmlDocument;

// Loads XML files with TinyXML without letting a hostile file exhaust the stack: TinyXML parses
// and frees nested elements recursively, so a file nesting elements a few hundred thousand deep
// would crash the process. Such files are refused before TinyXML sees them.
class QM_HOST_API XmlFile {
public:
    // Deeper than any file the host or the plug-in writes, shallow enough for any thread's stack.
    static constexpr size_t kMaxDepth = 256;

    // Loads the file at `path` into `document` as TiXmlDocument::LoadFile does, every string in
    // UTF-8; false, with a reason, when it cannot be read, nests elements deeper than kMaxDepth,
    // is not well formed, or is not valid in its encoding.
    static bool Load(TiXmlDocument& document, const std::string& path, std::string& error);
    static bool Load(TiXmlDocument& document, const std::string& path);

    // False, with a reason, for text that TinyXML must not parse: malformed UTF-8 in a file that
    // declares no other encoding (TinyXML may read past it) or elements nested deeper than
    // kMaxDepth.
    static bool CheckText(std::string_view text, std::string& error);

    // The encoding the file declares, as TinyXML takes it from a leading declaration, or empty
    // for UTF-8 (a byte-order mark, no declaration, or "UTF-8"). Load reads a file in another
    // encoding byte by byte and converts every name and text to UTF-8.
    static std::string DeclaredEncoding(std::string_view text);

    // The deepest element nesting TinyXML can reach while parsing `text`, for text that passes
    // the UTF-8 check: at least the real depth. Follows TinyXML's own lexical rules for comments,
    // CDATA, declarations, other markup and quoted attribute values, so that no nesting can hide
    // inside what this scan skips.
    static size_t MaxNestingDepth(std::string_view text);
};
