#include "Classes/Sensors/SensorCatalogue.h"

#include <algorithm>

namespace Aerlo {

namespace {

enum class PlatformSet { all, apple, intel, M1, M2, M3, M4, m4, m4ProToUltra };

std::vector<Platform> platformsOf(PlatformSet set)
{
    switch (set) {
    case PlatformSet::all:
        return Platforms::all();
    case PlatformSet::apple:
        return Platforms::apple();
    case PlatformSet::intel:
        return {Platform::intel};
    case PlatformSet::M1:
        return Platforms::m1Family();
    case PlatformSet::M2:
        return Platforms::m2Family();
    case PlatformSet::M3:
        return Platforms::m3Family();
    case PlatformSet::M4:
        return Platforms::m4Family();
    case PlatformSet::m4:
        return {Platform::m4};
    case PlatformSet::m4ProToUltra:
        return {Platform::m4Pro, Platform::m4Max, Platform::m4Ultra};
    }
    return {};
}

struct Row {
    const char* key;
    const char* name;
    SensorGroup group;
    SensorType type;
    PlatformSet platforms;
    bool average;
};

std::vector<Sensor> build()
{
    using enum SensorGroup;
    using enum SensorType;
    using enum PlatformSet;
    static constexpr Row rows[] = {
        // General temperatures
        {"TA%P", "Ambient %", sensor, temperature, all, false},
        {"Th%H", "Heatpipe %", sensor, temperature, intel, false},
        {"TZ%C", "Thermal zone %", sensor, temperature, all, false},
        {"TC0D", "CPU diode", CPU, temperature, all, false},
        {"TC0E", "CPU diode virtual", CPU, temperature, all, false},
        {"TC0F", "CPU diode filtered", CPU, temperature, all, false},
        {"TC0H", "CPU heatsink", CPU, temperature, all, false},
        {"TC0P", "CPU proximity", CPU, temperature, all, false},
        {"TCAD", "CPU package", CPU, temperature, all, false},
        {"TC%c", "CPU core %", CPU, temperature, all, true},
        {"TC%C", "CPU Core %", CPU, temperature, all, true},
        {"TCGC", "GPU Intel Graphics", GPU, temperature, all, false},
        {"TG0D", "GPU diode", GPU, temperature, all, false},
        {"TGDD", "GPU AMD Radeon", GPU, temperature, all, false},
        {"TG0H", "GPU heatsink", GPU, temperature, all, false},
        {"TG0P", "GPU proximity", GPU, temperature, all, false},
        {"Tm0P", "Mainboard", system, temperature, all, false},
        {"Tp0P", "Powerboard", system, temperature, intel, false},
        {"TB1T", "Battery", system, temperature, intel, false},
        {"TW0P", "Airport", system, temperature, all, false},
        {"TL0P", "Display", system, temperature, all, false},
        {"TI%P", "Thunderbolt %", system, temperature, all, false},
        {"TH%A", "Disk % (A)", system, temperature, all, false},
        {"TH%B", "Disk % (B)", system, temperature, all, false},
        {"TH%C", "Disk % (C)", system, temperature, all, false},
        {"TTLD", "Thunderbolt left", system, temperature, all, false},
        {"TTRD", "Thunderbolt right", system, temperature, all, false},
        {"TN0D", "Northbridge diode", system, temperature, all, false},
        {"TN0H", "Northbridge heatsink", system, temperature, all, false},
        {"TN0P", "Northbridge proximity", system, temperature, all, false},

        // M1 temperatures
        {"Tp09", "CPU efficiency core 1", CPU, temperature, M1, true},
        {"Tp0T", "CPU efficiency core 2", CPU, temperature, M1, true},
        {"Tp01", "CPU performance core 1", CPU, temperature, M1, true},
        {"Tp05", "CPU performance core 2", CPU, temperature, M1, true},
        {"Tp0D", "CPU performance core 3", CPU, temperature, M1, true},
        {"Tp0H", "CPU performance core 4", CPU, temperature, M1, true},
        {"Tp0L", "CPU performance core 5", CPU, temperature, M1, true},
        {"Tp0P", "CPU performance core 6", CPU, temperature, M1, true},
        {"Tp0X", "CPU performance core 7", CPU, temperature, M1, true},
        {"Tp0b", "CPU performance core 8", CPU, temperature, M1, true},
        {"Tg05", "GPU 1", GPU, temperature, M1, true},
        {"Tg0D", "GPU 2", GPU, temperature, M1, true},
        {"Tg0L", "GPU 3", GPU, temperature, M1, true},
        {"Tg0T", "GPU 4", GPU, temperature, M1, true},
        {"Tm02", "Memory 1", sensor, temperature, M1, false},
        {"Tm06", "Memory 2", sensor, temperature, M1, false},
        {"Tm08", "Memory 3", sensor, temperature, M1, false},
        {"Tm09", "Memory 4", sensor, temperature, M1, false},

        // M2 temperatures
        {"Tp1h", "CPU efficiency core 1", CPU, temperature, M2, true},
        {"Tp1t", "CPU efficiency core 2", CPU, temperature, M2, true},
        {"Tp1p", "CPU efficiency core 3", CPU, temperature, M2, true},
        {"Tp1l", "CPU efficiency core 4", CPU, temperature, M2, true},
        {"Tp01", "CPU performance core 1", CPU, temperature, M2, true},
        {"Tp05", "CPU performance core 2", CPU, temperature, M2, true},
        {"Tp09", "CPU performance core 3", CPU, temperature, M2, true},
        {"Tp0D", "CPU performance core 4", CPU, temperature, M2, true},
        {"Tp0X", "CPU performance core 5", CPU, temperature, M2, true},
        {"Tp0b", "CPU performance core 6", CPU, temperature, M2, true},
        {"Tp0f", "CPU performance core 7", CPU, temperature, M2, true},
        {"Tp0j", "CPU performance core 8", CPU, temperature, M2, true},
        {"Tg0f", "GPU 1", GPU, temperature, M2, true},
        {"Tg0j", "GPU 2", GPU, temperature, M2, true},

        // M3 temperatures
        {"Te05", "CPU efficiency core 1", CPU, temperature, M3, true},
        {"Te0L", "CPU efficiency core 2", CPU, temperature, M3, true},
        {"Te0P", "CPU efficiency core 3", CPU, temperature, M3, true},
        {"Te0S", "CPU efficiency core 4", CPU, temperature, M3, true},
        {"Tf04", "CPU performance core 1", CPU, temperature, M3, true},
        {"Tf09", "CPU performance core 2", CPU, temperature, M3, true},
        {"Tf0A", "CPU performance core 3", CPU, temperature, M3, true},
        {"Tf0B", "CPU performance core 4", CPU, temperature, M3, true},
        {"Tf0D", "CPU performance core 5", CPU, temperature, M3, true},
        {"Tf0E", "CPU performance core 6", CPU, temperature, M3, true},
        {"Tf44", "CPU performance core 7", CPU, temperature, M3, true},
        {"Tf49", "CPU performance core 8", CPU, temperature, M3, true},
        {"Tf4A", "CPU performance core 9", CPU, temperature, M3, true},
        {"Tf4B", "CPU performance core 10", CPU, temperature, M3, true},
        {"Tf4D", "CPU performance core 11", CPU, temperature, M3, true},
        {"Tf4E", "CPU performance core 12", CPU, temperature, M3, true},
        {"Tf14", "GPU 1", GPU, temperature, M3, true},
        {"Tf18", "GPU 2", GPU, temperature, M3, true},
        {"Tf19", "GPU 3", GPU, temperature, M3, true},
        {"Tf1A", "GPU 4", GPU, temperature, M3, true},
        {"Tf24", "GPU 5", GPU, temperature, M3, true},
        {"Tf28", "GPU 6", GPU, temperature, M3, true},
        {"Tf29", "GPU 7", GPU, temperature, M3, true},
        {"Tf2A", "GPU 8", GPU, temperature, M3, true},

        // M4 temperatures
        {"Te05", "CPU efficiency core 1", CPU, temperature, M4, true},
        {"Te0S", "CPU efficiency core 2", CPU, temperature, M4, true},
        {"Te09", "CPU efficiency core 3", CPU, temperature, M4, true},
        {"Te0H", "CPU efficiency core 4", CPU, temperature, M4, true},
        {"Tp01", "CPU performance core 1", CPU, temperature, M4, true},
        {"Tp05", "CPU performance core 2", CPU, temperature, M4, true},
        {"Tp09", "CPU performance core 3", CPU, temperature, M4, true},
        {"Tp0D", "CPU performance core 4", CPU, temperature, M4, true},
        {"Tp0V", "CPU performance core 5", CPU, temperature, M4, true},
        {"Tp0Y", "CPU performance core 6", CPU, temperature, M4, true},
        {"Tp0b", "CPU performance core 7", CPU, temperature, M4, true},
        {"Tp0e", "CPU performance core 8", CPU, temperature, M4, true},
        {"Tg0G", "GPU 1", GPU, temperature, m4, true},
        {"Tg0H", "GPU 2", GPU, temperature, m4, true},
        {"Tg1U", "GPU 1", GPU, temperature, m4ProToUltra, true},
        {"Tg1k", "GPU 2", GPU, temperature, m4ProToUltra, true},
        {"Tg0K", "GPU 3", GPU, temperature, M4, true},
        {"Tg0L", "GPU 4", GPU, temperature, M4, true},
        {"Tg0d", "GPU 5", GPU, temperature, M4, true},
        {"Tg0e", "GPU 6", GPU, temperature, M4, true},
        {"Tg0j", "GPU 7", GPU, temperature, M4, true},
        {"Tg0k", "GPU 8", GPU, temperature, M4, true},
        {"Tm0p", "Memory Proximity 1", sensor, temperature, M4, false},
        {"Tm1p", "Memory Proximity 2", sensor, temperature, M4, false},
        {"Tm2p", "Memory Proximity 3", sensor, temperature, M4, false},

        // Apple-silicon temperatures
        {"TaLP", "Airflow left", sensor, temperature, apple, false},
        {"TaRF", "Airflow right", sensor, temperature, apple, false},
        {"TH0x", "NAND", system, temperature, apple, false},
        {"TB1T", "Battery 1", system, temperature, apple, false},
        {"TB2T", "Battery 2", system, temperature, apple, false},
        {"TW0P", "Airport", system, temperature, apple, false},

        // Voltages
        {"VCAC", "CPU IA", CPU, voltage, all, false},
        {"VCSC", "CPU System Agent", CPU, voltage, all, false},
        {"VC%C", "CPU Core %", CPU, voltage, all, false},
        {"VCTC", "GPU Intel Graphics", GPU, voltage, all, false},
        {"VG0C", "GPU", GPU, voltage, all, false},
        {"VM0R", "Memory", system, voltage, all, false},
        {"Vb0R", "CMOS", system, voltage, all, false},
        {"VD0R", "DC In", sensor, voltage, all, false},
        {"VP0R", "12V rail", sensor, voltage, all, false},
        {"Vp0C", "12V vcc", sensor, voltage, all, false},
        {"VV2S", "3V", sensor, voltage, all, false},
        {"VR3R", "3.3V", sensor, voltage, all, false},
        {"VV1S", "5V", sensor, voltage, all, false},
        {"VV9S", "12V", sensor, voltage, all, false},
        {"VeES", "PCI 12V", sensor, voltage, all, false},

        // Currents
        {"IC0R", "CPU High side", sensor, current, all, false},
        {"IG0R", "GPU High side", sensor, current, all, false},
        {"ID0R", "DC In", sensor, current, all, false},
        {"IBAC", "Battery", sensor, current, all, false},
        {"IDBR", "Brightness", sensor, current, all, false},
        {"IU1R", "Thunderbolt Left", sensor, current, all, false},
        {"IU2R", "Thunderbolt Right", sensor, current, all, false},

        // Power
        {"PC0C", "CPU Core", CPU, power, all, false},
        {"PCAM", "CPU Core (IMON)", CPU, power, all, false},
        {"PCPC", "CPU Package", CPU, power, all, false},
        {"PCTR", "CPU Total", CPU, power, all, false},
        {"PCPT", "CPU Package total", CPU, power, all, false},
        {"PCPR", "CPU Package total (SMC)", CPU, power, all, false},
        {"PC0R", "CPU Computing high side", CPU, power, all, false},
        {"PC0G", "CPU GFX", CPU, power, all, false},
        {"PCEC", "CPU VccEDRAM", CPU, power, all, false},
        {"PCPG", "GPU Intel Graphics", GPU, power, all, false},
        {"PG0R", "GPU", GPU, power, all, false},
        {"PCGC", "Intel GPU", GPU, power, all, false},
        {"PCGM", "Intel GPU (IMON)", GPU, power, all, false},
        {"PC3C", "RAM", sensor, power, all, false},
        {"PPBR", "Battery", sensor, power, all, false},
        {"PDTR", "DC In", sensor, power, all, false},
        {"PMTR", "Memory Total", sensor, power, all, false},
        {"PSTR", "System Total", sensor, power, all, false},
        {"PU1R", "Thunderbolt Left", sensor, power, all, false},
        {"PU2R", "Thunderbolt Right", sensor, power, all, false},
        {"PDBR", "Power Delivery Brightness", sensor, power, M1, false},
    };

    std::vector<Sensor> catalogue;
    catalogue.reserve(std::size(rows));
    for (const Row& row : rows)
        catalogue.push_back(
            {row.key, row.name, 0, row.group, row.type, platformsOf(row.platforms), false, row.average});
    return catalogue;
}

} // namespace

const std::vector<Sensor>& SensorCatalogue::all()
{
    static const std::vector<Sensor> catalogue = build();
    return catalogue;
}

std::vector<Sensor> SensorCatalogue::forPlatform(std::optional<Platform> platform)
{
    if (!platform)
        return all();
    std::vector<Sensor> rows;
    for (const Sensor& row : all()) {
        if (std::find(row.platforms.begin(), row.platforms.end(), *platform) != row.platforms.end())
            rows.push_back(row);
    }
    return rows;
}

} // namespace Aerlo
