#include "Platform/Foundation/KeyedUnarchiver.h"

#include <limits>
#include <unordered_set>

namespace Foundation {

namespace {

using Json = nlohmann::ordered_json;
using DomBuilder = nlohmann::detail::json_sax_dom_parser<Json>;

// Builds the value as the library's own parser does, but stops at a key seen twice in one object and
// at nesting deeper than the limit, before anything deeper is built.
class StrictBuilder : public DomBuilder {
public:
    StrictBuilder(Json& result, std::size_t maximumDepth) : DomBuilder(result, false), maximumDepth_(maximumDepth) {}

    bool start_object(std::size_t size)
    {
        keys_.emplace_back();
        return deeper() && DomBuilder::start_object(size);
    }
    bool end_object()
    {
        keys_.pop_back();
        --depth_;
        return DomBuilder::end_object();
    }
    bool start_array(std::size_t size) { return deeper() && DomBuilder::start_array(size); }
    bool end_array()
    {
        --depth_;
        return DomBuilder::end_array();
    }
    bool key(Json::string_t& name) { return keys_.back().insert(name).second && DomBuilder::key(name); }

private:
    bool deeper() { return ++depth_ <= maximumDepth_; }

    const std::size_t maximumDepth_;
    std::size_t depth_ = 0;
    std::vector<std::unordered_set<std::string>> keys_;
};

// The class a value would be read as, for the refusal's text.
std::string className(const Json& value)
{
    if (value.is_string())
        return "NSString";
    if (value.is_boolean() || value.is_number())
        return "NSNumber";
    if (value.is_null())
        return "NSNull";
    if (value.is_object()) {
        const auto found = value.find("$class");
        if (found != value.end() && found->is_string())
            return found->get<std::string>();
    }
    return "NSObject";
}

std::string unexpectedClass(std::string_view key, const std::string& name)
{
    return "value for key '" + std::string(key) + "' was of unexpected class '" + name + "'";
}

// Every object below `value` names an allowed class; arrays hold only objects of the archive's
// form. Nesting is already bounded by the parse. The empty text when all is well.
std::string checkClasses(const Json& value, std::string_view key, const KeyedUnarchiver::Classes& allowed)
{
    if (value.is_array())
        return std::string(KeyedUnarchiver::unreadableData); // arrays come wrapped in their class
    if (!value.is_object())
        return {};
    const auto found = value.find("$class");
    if (found == value.end() || !found->is_string())
        return std::string(KeyedUnarchiver::unreadableData);
    const std::string& name = found->get_ref<const std::string&>();
    if (!allowed.contains(name))
        return unexpectedClass(key, name);
    if (name == KeyedArchiver::arrayClassName) {
        const auto objects = value.find("$objects");
        if (value.size() != 2 || objects == value.end() || !objects->is_array())
            return std::string(KeyedUnarchiver::unreadableData);
        for (const Json& item : *objects) {
            if (item.is_array())
                return std::string(KeyedUnarchiver::unreadableData);
            if (std::string problem = checkClasses(item, key, allowed); !problem.empty())
                return problem;
        }
        return {};
    }
    for (const auto& [fieldKey, fieldValue] : value.items())
        if (fieldKey != "$class")
            if (std::string problem = checkClasses(fieldValue, fieldKey, allowed); !problem.empty())
                return problem;
    return {};
}

} // namespace

Result<std::shared_ptr<const Json>> KeyedUnarchiver::checkedRoot(const Classes& allowedClasses,
                                                                 const PropertyListValue::Data& data)
{
    const Error unreadable {std::string(unreadableData)};
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    if (text.find('\0') != std::string_view::npos)
        return unreadable;
    auto archive = std::make_shared<Json>();
    StrictBuilder builder(*archive, maximumDepth);
    if (!Json::sax_parse(text.begin(), text.end(), &builder, nlohmann::detail::input_format_t::json, true))
        return unreadable;
    const auto name = archive->find("$archive");
    const auto version = archive->find("$version");
    const auto root = archive->find("$root");
    if (!archive->is_object() || archive->size() != 3 || name == archive->end() || version == archive->end()
        || root == archive->end() || !name->is_string()
        || name->get_ref<const std::string&>() != KeyedArchiver::archiveName || !version->is_number_integer()
        || version->get<std::int64_t>() != KeyedArchiver::archiveVersion)
        return unreadable;
    if (std::string problem = checkClasses(*root, "root", allowedClasses); !problem.empty())
        return Error(problem);
    return std::shared_ptr<const Json>(archive, &*root);
}

bool KeyedUnarchiver::isArrayOf(const Json& value, std::string_view className)
{
    if (!value.is_object() || value.value("$class", std::string()) != KeyedArchiver::arrayClassName)
        return false;
    for (const Json& item : value.at("$objects"))
        if (!item.is_object() || item.value("$class", std::string()) != className)
            return false;
    return true;
}

const Json* KeyedUnarchiver::field(std::string_view key) const
{
    const auto found = object_->find(std::string(key));
    return found == object_->end() ? nullptr : &*found;
}

void KeyedUnarchiver::fail(std::string_view key, const Json& value)
{
    if (failure_->empty())
        *failure_ = unexpectedClass(key, className(value));
}

std::optional<std::string> KeyedUnarchiver::decodeString(std::string_view key)
{
    const Json* value = field(key);
    if (!value)
        return std::nullopt;
    if (!value->is_string()) {
        fail(key, *value);
        return std::nullopt;
    }
    return value->get<std::string>();
}

bool KeyedUnarchiver::decodeBool(std::string_view key)
{
    const Json* value = field(key);
    if (value && !value->is_boolean())
        fail(key, *value);
    return value && value->is_boolean() && value->get<bool>();
}

std::int64_t KeyedUnarchiver::decodeInteger(std::string_view key)
{
    const Json* value = field(key);
    if (!value)
        return 0;
    // An unsigned value above the signed range is not an integer of ours.
    if (!value->is_number_integer()
        || (value->is_number_unsigned()
            && value->get<std::uint64_t>() > std::uint64_t(std::numeric_limits<std::int64_t>::max()))) {
        fail(key, *value);
        return 0;
    }
    return value->get<std::int64_t>();
}

} // namespace Foundation
