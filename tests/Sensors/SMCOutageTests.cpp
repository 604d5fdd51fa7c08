#include "Classes/Sensors/SMC.h"
#include "Classes/Sensors/SensorsReader.h"
#include "tests/SMC/PluggedTransport.h"
#include "tests/Sensors/SensorsMachine.h"
#include "tests/Support/ConsoleCapture.h"

#include <cmath>

using namespace Aerlo;

namespace {

struct PluggedMachine : SensorsMachine {
    PluggedMachine() : SensorsMachine(smcTable({smcKey("FNum", "ui8 ", {2}), numberKey("F0Ac", 1200), numberKey("F0Mn", 1000),
                                                numberKey("F0Mx", 5000), numberKey("F1Ac", 1300), numberKey("F1Mn", 1100),
                                                numberKey("F1Mx", 6000), numberKey("Tp09", 40), numberKey("Tp0T", 50),
                                                numberKey("TW0P", 35), numberKey("VD0R", 12.5)}))
    {
        registry = PluggedTransport::registryWith(plug);
        share();
    }
    std::shared_ptr<PluggedTransport> plug = std::make_shared<PluggedTransport>(device, false);
};

} // namespace

TEST(SMCOutage, OneLineWhenItStartsOneWhenItEndsAndNothingBetween)
{
    PluggedMachine machine;
    ConsoleCapture console;
    SMC& smc = SMC::shared();
    EXPECT_EQ(smc.getValue("F0Ac"), 1200);
    EXPECT_EQ(smc.getValue("F9Ac"), std::nullopt); // a key the machine lacks is no outage
    EXPECT_EQ(smc.outage(), std::nullopt);
    console.clear();

    machine.plug->pulled = true;
    for (int tick = 0; tick < 40; ++tick)
        EXPECT_EQ(smc.getValue("F0Ac"), std::nullopt);
    EXPECT_EQ(smc.outage(), IOKit::kIOReturnNoDevice);
    machine.plug->pulled = false;
    EXPECT_EQ(smc.getValue("F0Ac"), 1200);
    EXPECT_EQ(smc.outage(), std::nullopt);
    EXPECT_EQ(console.lines(), (std::vector<std::string> {"The SMC cannot be read: " + SMC::errorText(IOKit::kIOReturnNoDevice),
                                                          "The SMC can be read again."}));
}

TEST(SMCOutage, ReadingsHaveNoValueWhileTheSMCIsOutAndComeBackByThemselves)
{
    PluggedMachine machine;
    ConsoleCapture console;
    auto reader = machine.reader(Platform::m1);
    reader->read();
    ASSERT_EQ(byKey(reader->list->sensors()).at("F0Ac").value(), 1200);

    machine.plug->pulled = true;
    reader->read();
    // No stale value and no zero: nothing, which every text shows as "-".
    for (const auto& sensor : reader->list->sensors()) {
        if (!sensor.isComputed() || sensor.type() == SensorType::temperature) {
            EXPECT_TRUE(std::isnan(sensor.value())) << sensor.key() << " " << sensor.value();
        }
    }
    EXPECT_EQ(byKey(reader->list->sensors()).at("VD0R").formattedValue(), "-V");

    machine.plug->pulled = false;
    reader->read();
    EXPECT_EQ(byKey(reader->list->sensors()).at("F0Ac").value(), 1200);
    EXPECT_EQ(byKey(reader->list->sensors()).at("Tp09").value(), 40);
}

TEST(SMCOutage, AKeysInformationIsAskedAgainAfterAnOutage)
{
    PluggedMachine machine;
    ConsoleCapture console;
    SMC& smc = SMC::shared();
    EXPECT_EQ(smc.getValue("F0Ac"), 1200);
    machine.plug->pulled = true;
    EXPECT_EQ(smc.getValue("F0Ac"), std::nullopt);
    // The SMC that comes back holds the key in another type and size.
    machine.device->upsertKey(numberKey("F0Ac", 1500, "fpe2"));
    machine.plug->pulled = false;
    EXPECT_EQ(smc.getValue("F0Ac"), 1500);
}
