#include "Classes/Configure/SystemKit/DiskSize.h"

#include "Classes/Configure/Global/NumberText.h"

namespace Aerlo {

std::string DiskSize::formatted() const
{
    if (value < 1000)
        return "0 KB";
    double x = static_cast<double>(value) / 1000;
    const char* unit = " KB";
    int digits = 0;
    if (value > 999'999) {
        x /= 1000;
        unit = " MB";
    }
    if (value > 999'999'999) {
        x /= 1000;
        unit = " GB";
        digits = 1;
    }
    if (value > 999'999'999'999) {
        x /= 1000;
        unit = " TB";
    }
    return NumberText::fixed(x, digits) + unit;
}

double DiskSize::kilobytes() const { return static_cast<double>(value) / 1000; }

double DiskSize::megabytes() const { return kilobytes() / 1000; }

double DiskSize::gigabytes() const { return megabytes() / 1000; }

double DiskSize::terabytes() const { return gigabytes() / 1000; }

} // namespace Aerlo
