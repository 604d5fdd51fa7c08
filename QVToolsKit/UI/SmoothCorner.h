#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "Platform/Kit/Colour.h"
#include "Platform/Kit/View.h"
#include "QVToolsKit/UI/NSViewCornerBezierPath.h"

namespace QVToolsKit {

// Clips a view to continuous corners with its own radius each, rebuilt after every size change,
// layout and draw of any view once the first setter installed the hooks.
QVTOOLSKITUI_EXPORT void setSmoothCorner(Kit::View& view, double topLeft, double topRight, double bottomRight, double bottomLeft);
QVTOOLSKITUI_EXPORT void setSmoothCorner(Kit::View& view, double radius);
// A border along the same outline, `width` wide inside it; only shown while corners are set.
QVTOOLSKITUI_EXPORT void setSmoothCornerBorder(Kit::View& view, const Kit::Colour& colour, double width);

// Whether the hooks have been installed (once per process, never undone).
QVTOOLSKITUI_EXPORT bool smoothCornerMethodsDidSwizzle();

} // namespace QVToolsKit
