#pragma once

#include "QVToolsKit/FrameGeometry.h"

namespace QVToolsKit {

// Frame-based placement of a view. Each operation sets the view's frame and returns the view, so that
// calls chain. The ones relative to the superview use only its frame size and change nothing without one.
inline Kit::Size frameSize(const Kit::View& view) { return size(view); }
inline void setFrameSize(Kit::View& view, Kit::Size value) { setSize(view, value); }

Kit::View& xIs(Kit::View& view, double value);
Kit::View& leftIs(Kit::View& view, double value);
Kit::View& leftSpaceToSuper(Kit::View& view, double value);
Kit::View& yIs(Kit::View& view, double value);
Kit::View& topIs(Kit::View& view, double value);
Kit::View& topSpaceToSuper(Kit::View& view, double value);
Kit::View& widthIs(Kit::View& view, double value);
Kit::View& heightIs(Kit::View& view, double value);
Kit::View& bottomIs(Kit::View& view, double value);
Kit::View& rightIs(Kit::View& view, double value);
Kit::View& centerXIs(Kit::View& view, double value);
Kit::View& centerYIs(Kit::View& view, double value);
Kit::View& originIs(Kit::View& view, double x, double y);
Kit::View& sizeIs(Kit::View& view, double width, double height);
Kit::View& centerIs(Kit::View& view, double x, double y);
Kit::View& frameIs(Kit::View& view, double x, double y, double width, double height);
Kit::View& offsetXIs(Kit::View& view, double delta);
Kit::View& offsetYIs(Kit::View& view, double delta);
Kit::View& offset(Kit::View& view, double dx, double dy);

Kit::View& xEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& leftEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& yEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& topEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& originEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& widthEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& heightEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& sizeEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& bottomEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
Kit::View& rightEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
Kit::View& centerXEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
Kit::View& centerYEqualTo(Kit::View& view, const Kit::View& other, double offset = 0);
Kit::View& centerEqualTo(Kit::View& view, const Kit::View& other);
Kit::View& xEqualTo(Kit::View& view, const Kit::View& other, double offset);
Kit::View& leftEqualTo(Kit::View& view, const Kit::View& other, double offset);
Kit::View& yEqualTo(Kit::View& view, const Kit::View& other, double offset);
Kit::View& topEqualTo(Kit::View& view, const Kit::View& other, double offset);

Kit::View& topSpaceTo(Kit::View& view, const Kit::View& other, double space);
Kit::View& leftSpaceTo(Kit::View& view, const Kit::View& other, double space);
Kit::View& bottomSpaceTo(Kit::View& view, const Kit::View& other, double space);
Kit::View& rightSpaceTo(Kit::View& view, const Kit::View& other, double space);

Kit::View& rightEqualToSuper(Kit::View& view);
Kit::View& bottomEqualToSuper(Kit::View& view);
Kit::View& centerEqualToSuper(Kit::View& view);
Kit::View& centerXEqualToSuper(Kit::View& view);
Kit::View& centerYEqualToSuper(Kit::View& view);
Kit::View& rightSpaceToSuper(Kit::View& view, double space);
Kit::View& bottomSpaceToSuper(Kit::View& view, double space);
Kit::View& edgeToSuper(Kit::View& view, double top, double left, double bottom, double right);

} // namespace QVToolsKit
