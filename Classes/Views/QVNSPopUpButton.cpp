#include "Classes/Views/QVNSPopUpButton.h"

namespace Aerlo {

void QVNSPopUpButton::updateLayer()
{
    Kit::PopUpButton::updateLayer();
    layer().setBackgroundColor(backgroundColor_);
}

} // namespace Aerlo
