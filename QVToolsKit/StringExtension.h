#pragma once

#include "QVToolsKit/QVToolsKitExport.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace QVToolsKit {

// Text operations, as free functions taking the UTF-8 text first.

// Whether the text holds a character of the Han script.
QVTOOLSKIT_EXPORT bool containsChinese(std::string_view text);
// Han text in pinyin without tone marks: the first letter of each word, lower-cased ("中文" gives "zw");
// words are split at spaces and tabs, not at line breaks. Text without Han characters gives "".
QVTOOLSKIT_EXPORT std::string pinyinInitials(std::string_view text);
// Han text in pinyin without tone marks, spaces removed and lower-cased ("中文" gives "zhongwen");
// text without Han characters gives "".
QVTOOLSKIT_EXPORT std::string pinyinFull(std::string_view text);

// Whether `text` names a folder above `other`: piece-by-piece comparison after trimming "/" from both
// ends. The comparison is textual only ("/a" counts as a parent of "/a/../etc"): never decide access with it.
QVTOOLSKIT_EXPORT bool isParentPath(std::string_view text, std::string_view other);

// The path made safe for a shell: each space becomes "' '", and every other character outside
// A-Z a-z 0-9 _ . / , : @ % + = - is quoted the same way ('c'), a single quote as \'. Characters beyond
// ASCII mean nothing to a shell and are kept as they are.
QVTOOLSKIT_EXPORT std::string escapedPath(std::string_view text);

// The UTF-8 bytes packed big-endian into 32 bits; only the last four bytes remain.
QVTOOLSKIT_EXPORT std::uint32_t fourCharCode(std::string_view text);

} // namespace QVToolsKit
