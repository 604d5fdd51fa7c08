#include "Classes/Configure/Global/StringExtension.h"
#include "Classes/Configure/Global/RegularExpression.h"

#include <QRegularExpression>
#include <QString>

namespace Aerlo {

namespace {

QString qText(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

template <class Test>
std::string trimming(std::string_view text, Test test)
{
    const QString whole = qText(text);
    qsizetype first = 0;
    qsizetype end = whole.size();
    while (first < end && test(whole.at(first)))
        ++first;
    while (end > first && test(whole.at(end - 1)))
        --end;
    return utf8(whole.mid(first, end - first));
}

bool isControl(QChar c)
{
    const auto category = c.category();
    return category == QChar::Other_Control || category == QChar::Other_Format;
}

} // namespace

std::string decodingUTF8(std::string_view bytes)
{
    return utf8(qText(bytes));
}

std::string splitOnWhitespace(std::string_view text)
{
    return utf8(qText(text).simplified());
}

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

std::string trimmingWhitespaceAndNewlines(std::string_view text)
{
    return trimming(text, [](QChar c) { return c.isSpace(); });
}

std::string trimmingControlCharacters(std::string_view text)
{
    return trimming(text, isControl);
}

bool matches(std::string_view text, std::string_view pattern)
{
    const QRegularExpression expression(qText(pattern));
    return expression.isValid() && expression.match(qText(text)).hasMatch();
}

std::string replacingMatches(std::string_view text, std::string_view pattern, std::string_view replacement)
{
    const QRegularExpression expression(qText(pattern), QRegularExpression::CaseInsensitiveOption);
    if (!expression.isValid())
        return std::string(text);
    return utf8(qText(text).replace(expression, qText(replacement)));
}

std::string firstMatch(std::string_view text, std::string_view pattern)
{
    const QRegularExpression expression(qText(pattern));
    if (!expression.isValid())
        return {};
    const auto match = expression.match(qText(text));
    if (!match.hasMatch())
        return {};
    const QString found = match.captured(0);
    qsizetype first = 0;
    qsizetype end = found.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (first < end && blank(found.at(first)))
        ++first;
    while (end > first && blank(found.at(end - 1)))
        --end;
    return utf8(found.mid(first, end - first));
}

std::string digitsOnly(std::string_view text)
{
    QString digits;
    for (const char32_t c : qText(text).toUcs4())
        if (QChar::category(c) == QChar::Number_DecimalDigit)
            digits.append(QString::fromUcs4(&c, 1));
    return utf8(digits);
}

std::string cCharTuple(const char* buffer, std::size_t size)
{
    const std::string_view bytes(buffer, size);
    return decodingUTF8(bytes.substr(0, bytes.find('\0')));
}

Foundation::Result<QRegularExpression> makeRegularExpression(std::string_view pattern,
                                                             QRegularExpression::PatternOptions options)
{
    QRegularExpression expression(qText(pattern), options);
    if (!expression.isValid())
        return Foundation::Error(utf8(expression.errorString()) + " at offset " +
                                 std::to_string(expression.patternErrorOffset()));
    return expression;
}

} // namespace Aerlo
