#include "Classes/Configure/Global/LocalizationTable.h"
#include "Classes/Configure/Global/NotificationName.h"
#include "Classes/Views/SensorPopup.h"
#include "Classes/Views/TextView.h"
#include "Platform/Foundation/NotificationCenter.h"
#include "tests/Support/Kit/EventInjector.h"
#include "tests/Support/TestAccess.h"
#include "tests/Views/ViewsTest.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace Aerlo;
using Kit::Testing::EventInjector;
using Kit::Testing::Snapshot;
using json = nlohmann::ordered_json;

namespace {

constexpr double popupWidth = 280;

Sensor_p sensor(std::string key, SensorGroup group, SensorType type, double value = 40, bool computed = false,
                std::string name = {})
{
    Sensor s;
    s.key = key;
    s.name = name.empty() ? "Sensor " + key : std::move(name);
    s.value = value;
    s.group = group;
    s.type = type;
    s.isComputed = computed;
    return s;
}

Sensor_p fan(std::string key, bool computed = false)
{
    Fan f;
    f.key = std::move(key);
    f.name = "Fan " + f.key;
    f.value = 1200;
    f.isComputed = computed;
    return f;
}

// What the popup shows, view by view: "# Title" for a header, "key name = value" for a row.
std::vector<std::string> shown(const SensorPopup& popup)
{
    std::vector<std::string> lines;
    for (const auto& view : popup.arrangedSubviews()) {
        if (const auto row = std::dynamic_pointer_cast<SensorView>(view)) {
            const ValueSensorView& values = *row->valueView();
            lines.push_back(values.labelView()->toolTip() + " " + values.labelView()->stringValue() + " = "
                            + values.valueView()->stringValue());
        } else {
            const auto& title = dynamic_cast<const TextView&>(*view->subviews().at(0));
            lines.push_back("# " + title.stringValue());
        }
    }
    return lines;
}

// Only the keys of the rows and the titles.
std::vector<std::string> outline(const SensorPopup& popup)
{
    std::vector<std::string> lines;
    for (const std::string& line : shown(popup))
        lines.push_back(line.substr(0, line.find(' ', line[0] == '#' ? 2 : 0)));
    return lines;
}

class SensorPopupTest : public Testing::ViewsTest {
protected:
    void SetUp() override
    {
        ViewsTest::SetUp();
        LocalizationTable::setTable(std::nullopt);
        defaults().set(std::string("celsius"), "temperature_units");
    }

    std::shared_ptr<SensorPopup> makePopup(const std::vector<Sensor_p>& sensors)
    {
        auto popup = std::make_shared<SensorPopup>(Kit::Rect {0, 0, popupWidth, 0});
        popup->sizeCallback = [this](Kit::Size size) { sizes.push_back(size); };
        popup->setup(sensors);
        return popup;
    }
    // The popup in a window of its size, shown or not.
    Kit::View& showInWindow(const std::shared_ptr<SensorPopup>& popup, bool visible = true)
    {
        Kit::View& content = makeWindow({popupWidth, std::max(1.0, popup->frame().height())});
        popup->setFrameOrigin({0, 0});
        content.addSubview(popup);
        if (!visible)
            window().orderOut();
        return content;
    }
    std::vector<Kit::Size> sizes;
};

TEST_F(SensorPopupTest, RowsAndSectionsFollowTheFiltersAndTheOrderOfFirstOccurrence)
{
    using G = SensorGroup;
    using T = SensorType;
    defaults().set(false, "sensor_HID1_popup");
    defaults().set(false, "sensor_VH1_popup");
    struct Case {
        const char* name;
        std::vector<Sensor_p> sensors;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"empty", {}, {}},
        {"fans only", {fan("F0Ac"), fan("F1Ac", true)}, {}},
        {"groups in first-occurrence order",
         {sensor("a", G::CPU, T::temperature), sensor("b", G::GPU, T::temperature),
          sensor("c", G::CPU, T::temperature)},
         {"# Temperature", "a", "c", "b"}},
        {"computed temperatures stay, fans go",
         {fan("F0Ac"), sensor("avg", G::CPU, T::temperature, 50, true), fan("Fcmp", true)},
         {"# Temperature", "avg"}},
        {"unknown group never shows",
         {sensor("u", G::unknown, T::temperature), sensor("s", G::system, T::temperature),
          sensor("uv", G::unknown, T::voltage)},
         {"# Temperature", "s"}},
        {"sections in first-occurrence order of their types",
         {sensor("V1", G::sensor, T::voltage, 12.1), sensor("T1", G::CPU, T::temperature),
          sensor("P1", G::sensor, T::power, 5), sensor("V2", G::CPU, T::voltage, 1.1)},
         {"# Voltage", "V1", "V2", "# Temperature", "T1", "# Power", "P1"}},
        {"a hidden reading has no row; a type with all hidden has no header",
         {sensor("HID1", G::hid, T::temperature), sensor("T2", G::system, T::temperature),
          sensor("VH1", G::sensor, T::voltage), sensor("E1", G::sensor, T::energy, 3)},
         {"# Temperature", "T2", "# Energy", "E1"}},
    };
    for (const Case& c : cases) {
        sizes.clear();
        const auto popup = makePopup(c.sensors);
        EXPECT_EQ(outline(*popup), c.expected) << c.name;
        int sections = 0, rows = 0;
        for (const std::string& line : c.expected)
            (line[0] == '#' ? sections : rows) += 1;
        EXPECT_DOUBLE_EQ(popup->frame().height(), 30.0 * sections + 22.0 * rows) << c.name;
        EXPECT_EQ(popup->list().size(), static_cast<std::size_t>(rows)) << c.name;
        EXPECT_EQ(popup->sensors(), c.sensors) << c.name;
        if (c.expected.empty())
            EXPECT_TRUE(sizes.empty()) << c.name << ": an empty popup keeps height 0 and reports nothing";
        else
            EXPECT_EQ(sizes, (std::vector<Kit::Size> {{popupWidth, 30.0 * sections + 22.0 * rows}})) << c.name;
    }
}

TEST_F(SensorPopupTest, TheSectionHeaderIs30HighWithAnIndentedTitle)
{
    const auto header = SensorPopup::makeSectionHeader("Voltage", {0, 0}, 250);
    EXPECT_EQ(header->frame(), (Kit::Rect {0, 0, 250, 30}));
    ASSERT_EQ(header->subviews().size(), 1u);
    const auto& title = dynamic_cast<const TextView&>(*header->subviews()[0]);
    EXPECT_EQ(title.frame(), (Kit::Rect {0, 6, 250, 18}));
    EXPECT_EQ(title.stringValue(), "Voltage");
    EXPECT_EQ(title.alignment(), Kit::TextAlignment::center);
    EXPECT_EQ(title.textColor(), Kit::Colour::secondaryLabelColor());
    EXPECT_EQ(title.font(), Kit::Font::systemFont(12, Kit::Font::Weight::medium));
}

TEST_F(SensorPopupTest, RowsAre22HighWithTheNameAtTheLeftAndTheValueAtTheRight)
{
    auto popup = makePopup({sensor("TC0P", SensorGroup::CPU, SensorType::temperature, 45.4, false, "CPU proximity"),
                            sensor("VD0R", SensorGroup::sensor, SensorType::voltage, 12.345)});
    showInWindow(popup);
    window().displayIfNeeded();
    EXPECT_EQ(shown(*popup), (std::vector<std::string> {"# Temperature", "TC0P CPU proximity = 45°C", "# Voltage",
                                                        "VD0R Sensor VD0R = 12V"}));
    const auto row = popup->list().at("TC0P").lock();
    ASSERT_TRUE(row);
    EXPECT_EQ(row->frame().size, (Kit::Size {popupWidth, 22}));
    EXPECT_FALSE(row->openned);
    const ValueSensorView& values = *row->valueView();
    EXPECT_EQ(values.frame().size, (Kit::Size {popupWidth, 22}));
    EXPECT_EQ(values.layer().cornerRadius(), 3);
    EXPECT_EQ(values.labelView()->frame().height(), 16);
    EXPECT_LT(values.labelView()->frame().maxX(), values.valueView()->frame().minX() + 0.5);
    EXPECT_NEAR(values.valueView()->frame().maxX(), popupWidth, 0.5);
    EXPECT_EQ(values.labelView()->frame().y(), 3) << "the name is centred in the row";
    EXPECT_NEAR(values.labelView()->frame().maxY() - values.labelView()->font().ascender(),
                values.valueView()->frame().maxY() - values.valueView()->font().ascender(), 1e-9)
        << "the value sits on the name's baseline";
    ASSERT_EQ(values.trackingAreas().size(), 1u);
    EXPECT_EQ(values.trackingAreas()[0]->rect(), (Kit::Rect {0, 0, popupWidth, 22}));
    EXPECT_EQ(values.trackingAreas()[0]->options(), 0xC1u);
}

TEST_F(SensorPopupTest, UpdatesRewriteTheValuesLaterAndOnlyWhileShown)
{
    std::vector<Sensor_p> sensors = {sensor("T1", SensorGroup::CPU, SensorType::temperature, 45.44),
                                     sensor("V1", SensorGroup::sensor, SensorType::voltage, 1.2345), fan("F0Ac")};
    auto popup = makePopup(sensors);
    showInWindow(popup, false);
    sensors[0].setValue(50.26);
    sensors[1].setValue(1.5);
    popup->update(sensors);
    driver().runUntilIdle();
    EXPECT_EQ(shown(*popup)[1], "T1 Sensor T1 = 45°C") << "a hidden window changes nothing";

    window().orderFront();
    popup->update(sensors);
    EXPECT_EQ(shown(*popup)[1], "T1 Sensor T1 = 45°C") << "nothing happens at once";
    sensors[0].setValue(99); // after the call: not seen by the queued refresh
    driver().runUntilIdle();
    EXPECT_EQ(shown(*popup), (std::vector<std::string> {"# Temperature", "T1 Sensor T1 = 50.3°C", "# Voltage",
                                                        "V1 Sensor V1 = 1.500V"}));

    // A popup that goes before its refresh runs: nothing happens.
    popup->update(sensors);
    popup->removeFromSuperview();
    popup.reset();
    driver().runUntilIdle();
}

TEST_F(SensorPopupTest, TheUnitLetterAlwaysNamesTheUnitOfTheNumber)
{
    const Sensor_p voltage = sensor("V1", SensorGroup::sensor, SensorType::voltage, 1.2345);
    auto popup = makePopup({sensor("T1", SensorGroup::CPU, SensorType::temperature, 45), voltage});
    EXPECT_EQ(popup->list().at("T1").lock()->valueView()->temperatureUnit(), "C");

    // As the settings pane writes them.
    defaults().set(std::int64_t {1}, "temperatureUnitIndex");
    defaults().set(std::string("fahrenheit"), "temperature_units");
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
    EXPECT_EQ(shown(*popup), (std::vector<std::string> {"# Temperature", "T1 Sensor T1 = 113°F", "# Voltage",
                                                        "V1 Sensor V1 = " + voltage.compactValueText()}));
    EXPECT_EQ(popup->list().at("T1").lock()->valueView()->temperatureUnit(), "F");

    // The two keys disagree (a store written before the unit was first chosen): the letter follows the number.
    defaults().set(std::int64_t {0}, "temperatureUnitIndex");
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
    EXPECT_EQ(shown(*popup)[1], "T1 Sensor T1 = 113°F");
    defaults().set(std::int64_t {1}, "temperatureUnitIndex");
    defaults().set(std::string("celsius"), "temperature_units");
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
    EXPECT_EQ(shown(*popup)[1], "T1 Sensor T1 = 45°C");

    // Another name changes nothing.
    defaults().set(std::string("fahrenheit"), "temperature_units");
    popup->list().at("T1").lock()->valueView()->update(Foundation::Notification {"updateInterval", nullptr, {}});
    EXPECT_EQ(shown(*popup)[1], "T1 Sensor T1 = 45°C");

    // Rows that are gone hear nothing.
    popup.reset();
    Foundation::NotificationCenter::defaultCenter().post(NotificationName::updateTemperatureUnit);
}

TEST_F(SensorPopupTest, RendersSectionsHoverAndLongNames)
{
    auto popup = makePopup({sensor("TC0P", SensorGroup::CPU, SensorType::temperature, 45.4, false, "CPU proximity"),
                            sensor("TG0P", SensorGroup::GPU, SensorType::temperature, 51.2, false,
                                   "A graphics processor sensor with a name far too long for its row"),
                            sensor("VD0R", SensorGroup::sensor, SensorType::voltage, 12.345, false, "DC in")});
    TestAccess::setApplicationActiveForTesting<Kit::Window>(true);
    Kit::View& content = showInWindow(popup);
    ASSERT_DOUBLE_EQ(popup->frame().height(), 2 * 30 + 3 * 22);
    const Snapshot plain = Snapshot::of(content);
    plain.save("views", "sensor-popup");
    // Top down: header 0-30, two rows, header 74-104, one row.
    EXPECT_EQ(popup->arrangedSubviews()[0]->frame(), (Kit::Rect {0, 96, popupWidth, 30}));
    EXPECT_EQ(popup->arrangedSubviews()[3]->frame(), (Kit::Rect {0, 22, popupWidth, 30}));
    EXPECT_EQ(popup->arrangedSubviews()[4]->frame(), (Kit::Rect {0, 0, popupWidth, 22}));
    EXPECT_TRUE(plain.isClear({0, 0, popupWidth, 1}));

    // The long name ends in an ellipsis before the value.
    const auto longRow = popup->list().at("TG0P").lock();
    EXPECT_TRUE(longRow->valueView()->labelView()->textFieldCell().truncatesTail());
    EXPECT_LE(longRow->valueView()->labelView()->frame().maxX(),
              longRow->valueView()->valueView()->frame().minX() + 0.5);

    EventInjector input(window());
    input.moveTo({100, 85}); // over the first row (74-96 from the bottom)
    const auto first = popup->list().at("TC0P").lock()->valueView();
    EXPECT_EQ(first->layer().backgroundColor(), Kit::Colour::white(0.01, 0.05));
    const Snapshot hovered = Snapshot::of(content);
    hovered.save("views", "sensor-popup-hover");
    EXPECT_NEAR(hovered.alphaAt({140, 75}), 0.05, 0.01);
    EXPECT_LT(hovered.alphaAt({0.5, 74.5}), 0.03) << "the radius-3 corner";
    input.moveTo({100, 10});
    EXPECT_FALSE(first->layer().backgroundColor().has_value());
}

// The popup on the shipped profiles' sensor lists (tests/Sensors/golden), in Celsius and Fahrenheit, before
// and after one refresh, against tests/Views/golden/<profile>.json. Regenerate with AERLO_WRITE_GOLDEN=1.
class PinnedPopupTest : public SensorPopupTest, public ::testing::WithParamInterface<const char*> {
protected:
    static std::vector<Sensor_p> goldenSensors(const std::string& profile)
    {
        std::ifstream file(std::filesystem::path(AERLO_SOURCE_DIR) / "tests/Sensors/golden" / (profile + ".json"));
        std::stringstream text;
        text << file.rdbuf();
        std::vector<Sensor_p> sensors;
        for (const auto& item : json::parse(text.str())) {
            if (item["kind"] == "Fan") {
                Fan f;
                f.key = item["key"];
                f.name = item["name"];
                f.value = item["value"];
                f.isComputed = item["isComputed"];
                sensors.emplace_back(f);
                continue;
            }
            Sensor s;
            s.key = item["key"];
            s.name = item["name"];
            s.value = item["value"];
            s.group = *sensorGroupFromRawValue(item["group"].get<std::string>());
            s.type = *sensorTypeFromRawValue(item["type"].get<std::string>());
            s.isComputed = item["isComputed"];
            s.average = item["average"];
            sensors.emplace_back(s);
        }
        return sensors;
    }
};

TEST_P(PinnedPopupTest, ShowsTheProfilesReadings)
{
    const std::string profile = GetParam();
    std::vector<Sensor_p> sensors = goldenSensors(profile);
    ASSERT_FALSE(sensors.empty());
    json pinned;
    for (const char* unit : {"celsius", "fahrenheit"}) {
        defaults().set(std::string(unit), "temperature_units");
        defaults().set(std::int64_t {std::string(unit) == "fahrenheit"}, "temperatureUnitIndex");
        auto popup = makePopup(sensors);
        json views = json::array();
        for (const auto& line : shown(*popup))
            views.push_back(line);
        pinned[unit]["height"] = popup->frame().height();
        pinned[unit]["views"] = views;

        // One tick later every row shows the new reading's precise text.
        showInWindow(popup);
        std::vector<Sensor_p> next = sensors;
        for (auto& reading : next)
            reading.modifyValue([](double& value) { value += 1.25; });
        popup->update(next);
        driver().runUntilIdle();
        json refreshed = json::array();
        for (const auto& line : shown(*popup))
            refreshed.push_back(line);
        pinned[unit]["afterTick"] = refreshed;
        for (const auto& [key, weakRow] : popup->list()) {
            const auto row = weakRow.lock();
            ASSERT_TRUE(row);
            for (const auto& reading : next) {
                if (reading.key() == key) {
                    EXPECT_EQ(row->valueView()->valueView()->stringValue(), reading.preciseValueText()) << key;
                }
            }
        }
    }
    const auto path = std::filesystem::path(AERLO_SOURCE_DIR) / "tests/Views/golden" / (profile + ".json");
    const std::string text = pinned.dump(2) + "\n";
    if (std::getenv("AERLO_WRITE_GOLDEN")) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream(path) << text;
        GTEST_SKIP() << "wrote " << path;
    }
    std::ifstream file(path);
    ASSERT_TRUE(file) << path << " is missing; run with AERLO_WRITE_GOLDEN=1";
    std::stringstream expected;
    expected << file.rdbuf();
    EXPECT_EQ(text, expected.str());
}

INSTANTIATE_TEST_SUITE_P(Profiles, PinnedPopupTest, ::testing::Values("mbp-m1pro-2fan", "mbp-intel-2fan"),
                         [](const auto& info) {
                             return std::string(info.param) == "mbp-m1pro-2fan" ? "AppleSilicon" : "Intel";
                         });

} // namespace
