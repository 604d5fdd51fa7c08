#include "Classes/Configure/Global/RegularExpression.h"

#include "Platform/Foundation/TextUtilities.h"

#define PCRE2_CODE_UNIT_WIDTH 8
#include <pcre2.h>

namespace Aerlo {

struct RegularExpression::Code {
    explicit Code(pcre2_code* code) : compiled(code) {}
    ~Code() { pcre2_code_free(compiled); }
    Code(const Code&) = delete;
    Code& operator=(const Code&) = delete;

    pcre2_code* const compiled;
};

namespace {

struct MatchDataDeleter {
    void operator()(pcre2_match_data* data) const { pcre2_match_data_free(data); }
};
using MatchData = std::unique_ptr<pcre2_match_data, MatchDataDeleter>;

PCRE2_SPTR units(const std::string& text) { return reinterpret_cast<PCRE2_SPTR>(text.data()); }

} // namespace

Foundation::Result<RegularExpression> RegularExpression::make(std::string_view pattern, Options options)
{
    const std::string text = Foundation::decodingUTF8(pattern);
    const std::uint32_t flags = PCRE2_UTF | ((options & caseInsensitive) ? PCRE2_CASELESS : 0);
    int error = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* compiled = pcre2_compile(units(text), text.size(), flags, &error, &offset, nullptr);
    if (!compiled) {
        PCRE2_UCHAR message[256];
        const int length = pcre2_get_error_message(error, message, sizeof message);
        const std::string reason = length > 0 ? std::string(reinterpret_cast<const char*>(message), length)
                                              : "invalid pattern";
        return Foundation::Error(reason + " at offset " + std::to_string(offset));
    }
    return RegularExpression(std::make_shared<const Code>(compiled));
}

std::optional<std::string> RegularExpression::firstMatch(std::string_view text) const
{
    const std::string subject = Foundation::decodingUTF8(text);
    const MatchData data(pcre2_match_data_create_from_pattern(code_->compiled, nullptr));
    if (!data || pcre2_match(code_->compiled, units(subject), subject.size(), 0, 0, data.get(), nullptr) < 0)
        return std::nullopt;
    const PCRE2_SIZE* range = pcre2_get_ovector_pointer(data.get());
    if (range[1] < range[0]) // \K can end a match before it starts
        return std::string();
    return subject.substr(range[0], range[1] - range[0]);
}

bool RegularExpression::matches(std::string_view text) const
{
    return firstMatch(text).has_value();
}

std::string RegularExpression::replacingMatches(std::string_view text, std::string_view replacement) const
{
    const std::string subject = Foundation::decodingUTF8(text);
    const std::string with = Foundation::decodingUTF8(replacement);
    const auto options = PCRE2_SUBSTITUTE_GLOBAL | PCRE2_SUBSTITUTE_LITERAL | PCRE2_SUBSTITUTE_OVERFLOW_LENGTH;
    std::string out(subject.size() + with.size() + 16, '\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        PCRE2_SIZE length = out.size();
        const int result = pcre2_substitute(code_->compiled, units(subject), subject.size(), 0, options, nullptr,
                                            nullptr, units(with), with.size(),
                                            reinterpret_cast<PCRE2_UCHAR*>(out.data()), &length);
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
