#include "platform/Paths.h"

namespace curvana {

namespace {

bool IsContinuationByte(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

std::size_t CharacterCount(std::string_view text) {
    std::size_t count = 0;
    for (char c : text)
        if (!IsContinuationByte(c)) ++count;
    return count;
}

// The byte offset where the last `count` characters of text begin (0 when it has fewer).
std::size_t StartOfLastCharacters(std::string_view text, std::size_t count) {
    std::size_t i = text.size();
    while (i > 0 && count > 0) {
        --i;
        if (!IsContinuationByte(text[i])) --count;
    }
    return i;
}

}  // namespace

std::string ExtractFileName(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

std::string ExtractFilePath(std::string_view path) {
    std::size_t slash = path.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash + 1));
}

std::string ExtractFileExt(std::string_view path) {
    std::size_t dot = path.rfind('.');
    std::size_t slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
    return std::string(path.substr(dot));
}

std::string OpenTypeKey(std::string_view path) {
    std::string key(path.substr(StartOfLastCharacters(path, 4)));
    for (char& c : key)
        if (c >= 'A' && c <= 'Z') c = char(c - 'A' + 'a');
    return key;
}

std::string StripExt(std::string_view name) {
    std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || CharacterCount(name.substr(dot + 1)) > 3) return std::string(name);
    return std::string(name.substr(0, dot));
}

}  // namespace curvana
