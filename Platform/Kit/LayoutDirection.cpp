#include "Platform/Kit/LayoutDirection.h"

#include <QGuiApplication>

namespace Kit {

UserInterfaceLayoutDirection userInterfaceLayoutDirection()
{
    return QGuiApplication::layoutDirection() == Qt::RightToLeft ? UserInterfaceLayoutDirection::rightToLeft
                                                                 : UserInterfaceLayoutDirection::leftToRight;
}

} // namespace Kit
