#pragma once

#include "Platform/Kit/EdgeInsets.h"
#include "Platform/Kit/GraphicsContext.h"
#include "Platform/Kit/Image.h"

#include <QImage>
#include <QPainter>

#include <memory>

namespace Kit {

struct Image::Representation {
    QImage pixels; // premultiplied ARGB, device pixel ratio = pixels per point
    Size size;
    bool isTemplate = false;
    EdgeInsets capInsets;
    QImage discard; // where the focus of an empty image draws
    std::unique_ptr<GraphicsContext> focus;
    std::unique_ptr<QPainter> focusPainter;
    std::unique_ptr<GraphicsContext::Scope> focusScope;
};

} // namespace Kit
