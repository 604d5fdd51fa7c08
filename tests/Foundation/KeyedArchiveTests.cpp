#include "Platform/Foundation/KeyedUnarchiver.h"

#include <gtest/gtest.h>

using Foundation::KeyedArchiver;
using Foundation::KeyedUnarchiver;
using Foundation::PropertyListValue;

namespace {

// A record with every kind of field, holding records of its own class.
struct Node {
    static constexpr std::string_view className = "Node";
    static constexpr bool supportsSecureCoding = true;

    Node(std::optional<std::string> name, std::int64_t size, bool open, std::vector<Node> children = {})
        : name(std::move(name)), size(size), open(open), children(std::move(children))
    {
    }
    explicit Node(KeyedUnarchiver& coder)
        : name(coder.decodeString("name")), size(coder.decodeInteger("size")), open(coder.decodeBool("open")),
          children(coder.decodeArray<Node>("children"))
    {
    }
    void encode(KeyedArchiver& coder) const
    {
        coder.encodeObject(name, "name");
        coder.encodeInteger(size, "size");
        coder.encodeBool(open, "open");
        coder.encodeObject(children, "children");
    }
    bool operator==(const Node&) const = default;

    std::optional<std::string> name;
    std::int64_t size;
    bool open;
    std::vector<Node> children;
};

const KeyedUnarchiver::Classes allowed {"NSArray", "Node"};

PropertyListValue::Data bytes(std::string_view text) { return {text.begin(), text.end()}; }
std::string text(const PropertyListValue::Data& data) { return {data.begin(), data.end()}; }

auto read(std::string_view archive, const KeyedUnarchiver::Classes& classes = allowed)
{
    return KeyedUnarchiver::unarchivedArray<Node>(classes, bytes(archive));
}

constexpr std::string_view oneNode =
    R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":{"$class":"NSArray",)"
    R"("$objects":[{"$class":"Node","size":3,"open":true,"children":{"$class":"NSArray",)"
    R"("$objects":[{"$class":"Node","name":"叶","size":-1,"open":false,)"
    R"("children":{"$class":"NSArray","$objects":[]}}]}}]}})";

} // namespace

TEST(KeyedArchiveTest, RecordsAreWrittenUnderTheirClassInFieldOrderAndReadBack)
{
    const std::vector<Node> nodes {Node(std::nullopt, 3, true, {Node("叶", -1, false)})};
    const auto data = KeyedArchiver::archivedData(nodes);
    ASSERT_TRUE(data) << data.error();
    // The absent name writes no key.
    EXPECT_EQ(text(*data), oneNode);
    const auto decoded = read(oneNode);
    ASSERT_TRUE(decoded) << decoded.error();
    EXPECT_EQ(decoded.value(), nodes);

    // Missing fields read as their empty values; unknown keys are passed over.
    const auto sparse = read(R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":{"$class":"NSArray",)"
                             R"("$objects":[{"$class":"Node","colour":"red"}]}})");
    ASSERT_TRUE(sparse) << sparse.error();
    EXPECT_EQ(sparse.value(), (std::vector<Node> {Node(std::nullopt, 0, false)}));
}

TEST(KeyedArchiveTest, ARootThatIsNoArrayOfTheRecordsReadsAsNothing)
{
    for (const char* root :
         {R"("text")", R"({"$class":"Node","size":1})", R"({"$class":"NSArray","$objects":["x"]})"}) {
        const auto decoded =
            read(std::string(R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":)") + root + "}");
        ASSERT_TRUE(decoded) << root << ": " << decoded.error();
        EXPECT_FALSE(decoded.value()) << root;
    }
}

TEST(KeyedArchiveTest, ADamagedArchiveOrAClassNotAllowedFailsAsAWhole)
{
    const std::string valid(oneNode);
    std::string duplicated = valid;
    duplicated.replace(duplicated.find(R"("size":3)"), 8, R"("size":3,"size":4)");
    std::string tooDeep = R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":)";
    for (int i = 0; i < 100; ++i)
        tooDeep += R"({"$class":"NSArray","$objects":[)";
    for (int i = 0; i < 100; ++i)
        tooDeep += "]}";
    tooDeep += "}";
    std::string wrongHeader = valid;
    wrongHeader.replace(wrongHeader.find(R"("$version":1)"), 12, R"("$version":2)");
    const std::string unreadable(KeyedUnarchiver::unreadableData);
    const struct {
        std::string archive;
        std::string error;
    } cases[] = {
        {valid.substr(0, valid.size() / 2), unreadable},
        {valid + "x", unreadable},
        {duplicated, unreadable},
        {tooDeep, unreadable},
        {wrongHeader, unreadable},
        {std::string(R"({"$archive":"Aerlo.KeyedArchive","$version":1,"$root":[]})"), unreadable},
        {std::string(valid).replace(valid.find(R"("size":3)"), 8, R"("size":"3")"),
         "value for key 'size' was of unexpected class 'NSString'"},
        {std::string(valid).replace(valid.find(R"("name":"叶")"), 12, R"("name":5)"),
         "value for key 'name' was of unexpected class 'NSNumber'"},
        {std::string(valid).replace(valid.find(R"("open":true)"), 11, R"("open":1)"),
         "value for key 'open' was of unexpected class 'NSNumber'"},
        {std::string(valid).replace(valid.rfind(R"("$class":"Node")"), 15, R"("$class":"Foo")"),
         "value for key 'children' was of unexpected class 'Foo'"},
    };
    for (const auto& c : cases) {
        const auto decoded = read(c.archive);
        ASSERT_FALSE(decoded) << c.archive;
        EXPECT_EQ(decoded.error(), c.error) << c.archive;
    }
    const auto notAllowed = read(oneNode, {"NSArray"});
    ASSERT_FALSE(notAllowed);
    EXPECT_EQ(notAllowed.error(), "value for key 'root' was of unexpected class 'Node'");
}

TEST(KeyedArchiveTest, ATextThatIsNotUTF8CannotBeArchived)
{
    const auto data = KeyedArchiver::archivedData(std::vector<Node> {Node("\xff", 0, false)});
    ASSERT_FALSE(data);
    EXPECT_EQ(data.error(), KeyedArchiver::unwritableData);
}
