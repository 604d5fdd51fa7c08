#pragma once

#include "QVToolsKit/UI/QVToolsKitUIExport.h"

#include "QVToolsKit/UI/FrameGeometry.h"

namespace QVToolsKit {

// Frame-based placement of a view. Each operation sets the view's frame and returns the view, so that
// calls chain. The ones relative to the superview use only its frame size and change nothing without one.
inline Kit::Size frameSize(const Kit::View& view) { return size(view); }
inline void setFrameSize(Kit::View& view, Kit::Size value) { setSize(view, value); }

QVTOOLSKITUI_EXPORT Kit::View& xIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& leftIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& leftSpaceToSuper(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& yIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& topIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& topSpaceToSuper(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& widthIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& heightIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& bottomIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& rightIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& centerXIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& centerYIs(Kit::View& view, double value);
QVTOOLSKITUI_EXPORT Kit::View& originIs(Kit::View& view, double x, double y);
QVTOOLSKITUI_EXPORT Kit::View& sizeIs(Kit::View& view, double width, double height);
QVTOOLSKITUI_EXPORT Kit::View& centerIs(Kit::View& view, double x, double y);
QVTOOLSKITUI_EXPORT Kit::View& frameIs(Kit::View& view, double x, double y, double width, double height);
QVTOOLSKITUI_EXPORT Kit::View& offsetXIs(Kit::View& view, double delta);
QVTOOLSKITUI_EXPORT Kit::View& offsetYIs(Kit::View& view, double delta);
QVTOOLSKITUI_EXPORT Kit::View& offset(Kit::View& view, double dx, double dy);

QVTOOLSKITUI_EXPORT Kit::View& xEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& leftEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& yEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& topEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& originEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& widthEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& heightEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& sizeEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& bottomEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
QVTOOLSKITUI_EXPORT Kit::View& rightEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
QVTOOLSKITUI_EXPORT Kit::View& centerXEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
QVTOOLSKITUI_EXPORT Kit::View& centerYEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
QVTOOLSKITUI_EXPORT Kit::View& centerEqualTo(Kit::View& view, const Kit::View& other);
QVTOOLSKITUI_EXPORT Kit::View& xEqualTo(Kit::View& view, const Kit::View& other, double offset);
QVTOOLSKITUI_EXPORT Kit::View& leftEqualTo(Kit::View& view, const Kit::View& other, double offset);
QVTOOLSKITUI_EXPORT Kit::View& yEqualTo(Kit::View& view, const Kit::View& other, double offset);
QVTOOLSKITUI_EXPORT Kit::View& topEqualTo(Kit::View& view, const Kit::View& other, double offset);

QVTOOLSKITUI_EXPORT Kit::View& topSpaceTo(Kit::View& view, const Kit::View& other, double space);
QVTOOLSKITUI_EXPORT Kit::View& leftSpaceTo(Kit::View& view, const Kit::View& other, double space);
QVTOOLSKITUI_EXPORT Kit::View& bottomSpaceTo(Kit::View& view, const Kit::View& other, double space);
QVTOOLSKITUI_EXPORT Kit::View& rightSpaceTo(Kit::View& view, const Kit::View& other, double space);

QVTOOLSKITUI_EXPORT Kit::View& rightEqualToSuper(Kit::View& view);
QVTOOLSKITUI_EXPORT Kit::View& bottomEqualToSuper(Kit::View& view);
QVTOOLSKITUI_EXPORT Kit::View& centerEqualToSuper(Kit::View& view);
QVTOOLSKITUI_EXPORT Kit::View& centerXEqualToSuper(Kit::View& view);
QVTOOLSKITUI_EXPORT Kit::View& centerYEqualToSuper(Kit::View& view);
QVTOOLSKITUI_EXPORT Kit::View& rightSpaceToSuper(Kit::View& view, double space);
QVTOOLSKITUI_EXPORT Kit::View& bottomSpaceToSuper(Kit::View& view, double space);
QVTOOLSKITUI_EXPORT Kit::View& edgeToSuper(Kit::View& view, double top, double left, double bottom, double right);

} // namespace QVToolsKit
