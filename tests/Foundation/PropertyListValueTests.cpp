#include "Platform/Foundation/PropertyListValue.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <nlohmann/json.hpp>

using Foundation::PropertyListValue;
using Type = PropertyListValue::Type;

namespace {

PropertyListValue::Data bytes(std::initializer_list<int> values)
{
    PropertyListValue::Data data;
    for (int v : values)
        data.push_back(static_cast<std::uint8_t>(v));
    return data;
}

PropertyListValue everyType()
{
    PropertyListValue::Data allBytes;
    for (int i = 0; i < 256; ++i)
        allBytes.push_back(static_cast<std::uint8_t>(i));
    return PropertyListValue::Dictionary {
        {"null", PropertyListValue()},
        {"true", true},
        {"false", false},
        {"int", std::int64_t {-42}},
        {"intMax", std::numeric_limits<std::int64_t>::max()},
        {"intMin", std::numeric_limits<std::int64_t>::min()},
        {"realWhole", 3.0},
        {"realTiny", 5e-324},
        {"realThird", 1.0 / 3.0},
        {"negativeZero", -0.0},
        {"string", "传感器 \"quoted\"\n"},
        {"emptyString", ""},
        {"data", allBytes},
        {"emptyData", PropertyListValue::Data {}},
        {"date", PropertyListValue::Date {1735689600.25}},
        {"array", PropertyListValue::Array {1, "two", PropertyListValue::Date {3}, PropertyListValue::Array {}}},
        {"dict", PropertyListValue::Dictionary {{"b", 1.5}, {"a", PropertyListValue::Dictionary {}}}},
    };
}

} // namespace

TEST(PropertyListValue, EveryTypeRoundTripsThroughJSONText)
{
    const PropertyListValue value = everyType();
    const auto back = PropertyListValue::fromJSONText(value.toJSONText());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, value);
    const auto& dictionary = *back->asDictionary();
    EXPECT_EQ(dictionary.at("realWhole").type(), Type::real);
    EXPECT_EQ(dictionary.at("date").type(), Type::date);
    EXPECT_EQ(dictionary.at("int").type(), Type::integer);
    EXPECT_EQ(dictionary.at("null").type(), Type::null);
    EXPECT_TRUE(std::signbit(*dictionary.at("negativeZero").asDouble()));
}

TEST(PropertyListValue, JSONFormIsTaggedWithSortedDictionaryKeys)
{
    const std::vector<std::pair<PropertyListValue, std::string>> table = {
        {PropertyListValue(), R"({"t":"null"})"},
        {true, R"({"t":"bool","v":true})"},
        {7, R"({"t":"int","v":7})"},
        {2.0, R"({"t":"real","v":2.0})"},
        {PropertyListValue::Date {2.0}, R"({"t":"date","v":2.0})"},
        {"x", R"({"t":"string","v":"x"})"},
        {bytes({}), R"({"t":"data","v":""})"},
        {bytes({'f'}), R"({"t":"data","v":"Zg=="})"},
        {bytes({'f', 'o'}), R"({"t":"data","v":"Zm8="})"},
        {bytes({'f', 'o', 'o'}), R"({"t":"data","v":"Zm9v"})"},
        {bytes({0xfb, 0xff}), R"({"t":"data","v":"+/8="})"},
        {PropertyListValue::Array {false}, R"({"t":"array","v":[{"t":"bool","v":false}]})"},
        {PropertyListValue::Dictionary {{"b", 1}, {"a", 2}},
         R"({"t":"dict","v":{"a":{"t":"int","v":2},"b":{"t":"int","v":1}}})"},
    };
    for (const auto& [value, text] : table) {
        EXPECT_EQ(value.toJSONText(), text);
        EXPECT_EQ(PropertyListValue::fromJSONText(text), value) << text;
    }
}

TEST(PropertyListValue, EqualityKeepsTypesApart)
{
    EXPECT_NE(PropertyListValue(1.0), PropertyListValue(PropertyListValue::Date {1.0}));
    EXPECT_NE(PropertyListValue(1.0), PropertyListValue(1));
    EXPECT_NE(PropertyListValue(1), PropertyListValue(true));
    EXPECT_NE(PropertyListValue("1"), PropertyListValue(1));
    EXPECT_NE(PropertyListValue(bytes({'a'})), PropertyListValue("a"));
    EXPECT_NE(PropertyListValue(), PropertyListValue(false));
    EXPECT_EQ(PropertyListValue(PropertyListValue::Dictionary {{"a", 1}, {"b", 2}}),
              PropertyListValue(PropertyListValue::Dictionary {{"b", 2}, {"a", 1}}));
    EXPECT_NE(PropertyListValue(PropertyListValue::Array {1, 2}), PropertyListValue(PropertyListValue::Array {2, 1}));
    EXPECT_EQ(PropertyListValue("abc"), PropertyListValue(std::string("abc")));
}

TEST(PropertyListValue, MalformedJSONIsRejectedWithoutThrowing)
{
    std::string deep;
    for (int i = 0; i < 600; ++i)
        deep += R"({"t":"array","v":[)";
    deep += R"({"t":"null"})";
    for (int i = 0; i < 600; ++i)
        deep += "]}";
    const std::vector<std::string> table = {
        "",
        "not json",
        R"({"t":"int","v":1)",
        "42",
        R"({"v":1})",
        R"({"t":7,"v":1})",
        R"({"t":"float","v":1})",
        R"({"t":"bool","v":1})",
        R"({"t":"bool"})",
        R"({"t":"null","v":null})",
        R"({"t":"int","v":1,"x":2})",
        R"({"t":"int","v":1.5})",
        R"({"t":"int","v":"1"})",
        R"({"t":"int","v":9223372036854775808})",
        R"({"t":"real","v":"1"})",
        R"({"t":"real","v":null})",
        R"({"t":"real","v":1e400})",
        R"({"t":"date","v":-1e999})",
        R"({"t":"string","v":1})",
        R"({"t":"data","v":"Zg="})",
        R"({"t":"data","v":"Z!=="})",
        R"({"t":"data","v":"=Zg="})",
        R"({"t":"data","v":5})",
        R"({"t":"array","v":{}})",
        R"({"t":"array","v":[1]})",
        R"({"t":"dict","v":[]})",
        R"({"t":"dict","v":{"a":{"t":"bool","v":"yes"}}})",
        R"({"t":"dict","v":{}} {"t":"dict","v":{}})", // data after the value
        R"({"t":"dict","v":{}}x)",
        std::string(R"({"t":"dict","v":{}})") + '\0' + R"({"t":"dict","v":{"a":{"t":"int","v":1}}})", // a NUL byte
        std::string(R"({"t":"dict","v":{}})") + '\0',
        std::string(R"({"t":"string","v":"a)") + '\0' + R"(b"})",
        deep,
    };
    for (const auto& text : table)
        EXPECT_FALSE(PropertyListValue::fromJSONText(text)) << text;
    EXPECT_EQ(PropertyListValue::fromJSONText(R"({"t":"int","v":-9223372036854775808})"),
              PropertyListValue(std::numeric_limits<std::int64_t>::min()));
    EXPECT_EQ(PropertyListValue::fromJSONText(R"({"t":"real","v":1})"), PropertyListValue(1.0));
    EXPECT_EQ(PropertyListValue::fromJSONText(" {\"t\":\"int\",\"v\":2}\n\t "), PropertyListValue(2));
}

TEST(PropertyListValue, LargeDictionariesKeepEveryKeyInByteOrder)
{
    PropertyListValue::Dictionary values;
    for (int i = 0; i < 5000; ++i)
        values.emplace("k" + std::to_string(i * 7919 % 5000), i);
    const std::string text = PropertyListValue(values).toJSONText();
    const auto json = nlohmann::ordered_json::parse(text);
    ASSERT_EQ(json["v"].size(), 5000u);
    EXPECT_EQ(json["v"].begin().key(), "k0");
    EXPECT_EQ(std::next(json["v"].begin()).key(), "k1");
    EXPECT_EQ(std::next(json["v"].begin(), 2).key(), "k10");
    EXPECT_EQ(PropertyListValue::fromJSONText(text), PropertyListValue(values));
}

TEST(PropertyListValue, FindsNonFiniteNumbersAtAnyDepth)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_FALSE(everyType().containsNonFinite());
    EXPECT_TRUE(PropertyListValue(nan).containsNonFinite());
    EXPECT_TRUE(PropertyListValue(-inf).containsNonFinite());
    EXPECT_TRUE(PropertyListValue(PropertyListValue::Date {inf}).containsNonFinite());
    EXPECT_TRUE(PropertyListValue(PropertyListValue::Array {1, PropertyListValue::Array {nan}}).containsNonFinite());
    EXPECT_TRUE(PropertyListValue(PropertyListValue::Dictionary {{"a", inf}}).containsNonFinite());
}

TEST(PropertyListValue, ConstructorsPickTheIntendedType)
{
    EXPECT_EQ(PropertyListValue(true).type(), Type::boolean);
    EXPECT_EQ(PropertyListValue(5).type(), Type::integer);
    EXPECT_EQ(PropertyListValue(5u).type(), Type::integer);
    EXPECT_EQ(PropertyListValue(5LL).type(), Type::integer);
    EXPECT_EQ(PropertyListValue(2.5f).type(), Type::real);
    EXPECT_EQ(PropertyListValue("text").type(), Type::string);
    EXPECT_EQ(PropertyListValue(std::string_view("text")).type(), Type::string);
    EXPECT_EQ(PropertyListValue(nullptr).type(), Type::null);
    EXPECT_EQ(PropertyListValue(PropertyListValue::Date {}).type(), Type::date);
}
