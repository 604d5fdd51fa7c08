#include "Classes/Configure/Global/StringExtension.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

#include <memory>

namespace Aerlo {

namespace {

struct CodeDeleter {
    void operator()(pcre2_code* code) const { pcre2_code_free(code); }
};
struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using Code = std::unique_ptr<pcre2_code, CodeDeleter>;
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

// The compiled pattern over UTF-8; nullptr when the pattern is invalid.
Code compiled(std::string_view pattern, std::uint32_t options)
{
    const std::string text = decodingUTF8(pattern);
    int error = 0;
    PCRE2_SIZE offset = 0;
    return Code(pcre2_compile(reinterpret_cast<PCRE2_SPTR>(text.data()), text.size(), PCRE2_UTF | options, &error,
                              &offset, nullptr));
}

} // namespace

std::string truncatedAtNul(std::string_view text)
{
    const auto below33 = [](char c) { return static_cast<unsigned char>(c) < 33; };
    while (!text.empty() && below33(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && below33(text.back()))
        text.remove_suffix(1);
    if (const auto nul = text.find('\0'); nul != std::string_view::npos)
        text = text.substr(0, nul);
    return decodingUTF8(text);
}

bool matches(std::string_view text, std::string_view pattern)
{
    const Code code = compiled(pattern, 0);
    if (!code)
        return false;
    const std::string subject = decodingUTF8(text);
    const MatchData data(pcre2_match_data_create_from_pattern(code.get(), nullptr));
    return pcre2_match(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0, 0, data.get(),
                       nullptr) >= 0;
}

std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement)
{
    const Code code = compiled(pattern, PCRE2_CASELESS);
    if (!code)
        return std::string(text);
    const std::string subject = decodingUTF8(text);
    const std::string with = decodingUTF8(replacement);
    const auto options = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_LITERAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    std::string out(subject.size() + with.size() + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = out.size();
        const int result = pcre2_substitute(code.get(), reinterpret_cast<PCRE2_SPTR>(subject.data()), subject.size(), 0,
                                            options, nullptr, nullptr, reinterpret_cast<PCRE2_SPTR>(with.data()),
                                            with.size(), reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
        if (result >= 0) {
            out.resize(length);
            return out;
        }
        if (result != PCRE2_ERROR_NOMEMORY)
            break;
        out.resize(length); // the length needed, then once more
    }
    return subject;
}

} // namespace Aerlo
