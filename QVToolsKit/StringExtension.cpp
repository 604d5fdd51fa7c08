#include "QVToolsKit/StringExtension.h"

#include "Platform/Foundation/IcuSupport.h"
#include "Platform/Foundation/SharedInstance.h"

#include <memory>
#include <mutex>
#include <optional>
#include <unicode/locid.h>
#include <unicode/translit.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/uscript.h>
#include <unicode/utf8.h>
#include <vector>

namespace QVToolsKit {

namespace {

using Foundation::Icu::unicode;
using Foundation::Icu::utf8;

// Han to Latin, then the diacritics stripped; made once and used under one lock.
class LatinTransform {
public:
    static LatinTransform& shared()
    {
        static Foundation::SharedInstance<LatinTransform> transform(
            [](void* storage) { new (storage) LatinTransform; });
        return transform.get();
    }

    icu::UnicodeString apply(icu::UnicodeString text)
    {
        std::lock_guard lock(mutex_);
        if (toLatin_ && withoutMarks_) {
            toLatin_->transliterate(text);
            withoutMarks_->transliterate(text);
        }
        return text;
    }

private:
    LatinTransform()
    {
        toLatin_ = make("Any-Latin");
        withoutMarks_ = make("NFD; [:Nonspacing Mark:] Remove; NFC");
    }

    static std::unique_ptr<icu::Transliterator> make(const char* id)
    {
        UErrorCode status = U_ZERO_ERROR;
        std::unique_ptr<icu::Transliterator> transform(icu::Transliterator::createInstance(id, UTRANS_FORWARD, status));
        return U_SUCCESS(status) ? std::move(transform) : nullptr;
    }

    std::mutex mutex_;
    std::unique_ptr<icu::Transliterator> toLatin_;
    std::unique_ptr<icu::Transliterator> withoutMarks_;
};

// The Latin form of text that holds Han characters; nothing otherwise.
std::optional<icu::UnicodeString> latin(std::string_view text)
{
    if (!containsChinese(text))
        return std::nullopt;
    return LatinTransform::shared().apply(unicode(text));
}

bool isWordSeparator(UChar32 c) { return c == '\t' || u_charType(c) == U_SPACE_SEPARATOR; }

std::vector<std::string_view> pathPieces(std::string_view path)
{
    std::vector<std::string_view> pieces;
    while (!path.empty()) {
        const size_t slash = path.find('/');
        if (const std::string_view piece = path.substr(0, slash); !piece.empty())
            pieces.push_back(piece);
        path = slash == std::string_view::npos ? std::string_view {} : path.substr(slash + 1);
    }
    return pieces;
}

bool isShellSafe(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')
           || std::string_view("_./,:@%+=-").find(c) != std::string_view::npos;
}

} // namespace

bool containsChinese(std::string_view text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    const auto length = static_cast<int32_t>(text.size());
    for (int32_t i = 0; i < length;) {
        UChar32 c;
        U8_NEXT(bytes, i, length, c);
        UErrorCode status = U_ZERO_ERROR;
        if (c >= 0 && uscript_getScript(c, &status) == USCRIPT_HAN && U_SUCCESS(status))
            return true;
    }
    return false;
}

std::string pinyinInitials(std::string_view text)
{
    const auto converted = latin(text);
    if (!converted)
        return {};
    icu::UnicodeString initials;
    bool atWordStart = true;
    for (int32_t i = 0; i < converted->length(); i = converted->moveIndex32(i, 1)) {
        const UChar32 c = converted->char32At(i);
        if (isWordSeparator(c)) {
            atWordStart = true;
        } else if (atWordStart) {
            initials.append(c);
            atWordStart = false;
        }
    }
    return utf8(initials.toLower(icu::Locale::getRoot()));
}

std::string pinyinFull(std::string_view text)
{
    auto converted = latin(text);
    if (!converted)
        return {};
    converted->findAndReplace(icu::UnicodeString(u' '), icu::UnicodeString());
    return utf8(converted->toLower(icu::Locale::getRoot()));
}

bool isParentPath(std::string_view text, std::string_view other)
{
    const auto parent = pathPieces(text);
    const auto child = pathPieces(other);
    if (parent.size() >= child.size())
        return false;
    for (size_t i = 0; i < parent.size(); ++i)
        if (parent[i] != child[i])
            return false;
    return true;
}

std::string escapedPath(std::string_view text)
{
    std::string escaped;
    escaped.reserve(text.size());
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80 || isShellSafe(c))
            escaped += c;
        else if (c == '\'')
            escaped += "\\'";
        else
            escaped += {'\'', c, '\''};
    }
    return escaped;
}

std::uint32_t fourCharCode(std::string_view text)
{
    std::uint32_t code = 0;
    for (const char c : text)
        code = (code << 8) + static_cast<unsigned char>(c);
    return code;
}

} // namespace QVToolsKit
