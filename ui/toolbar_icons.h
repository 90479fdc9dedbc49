// The toolbar's pictures: the icon theme's when it has the freedesktop name, otherwise our own,
// drawn here, so that every command shows a picture without a theme (offscreen, Xvfb, bare
// window managers).
#pragma once

#include <QIcon>

namespace stillpix {

enum class ToolbarGlyph {
    kOpen,
    kSave,
    kUndo,
    kCopy,
    kPaste,
    kZoomIn,
    kZoomOut,
    kNoiseFilter,
    kExif,
    kNoiseProfile,
    kPreview,
    kBrowser,
    kBatch,
    kGo,
};

// The theme's icon for the glyph's freedesktop name, falling back to the drawn one.
QIcon ToolbarIcon(ToolbarGlyph glyph);
// The drawn picture alone, at 16, 22, 24 and 32 pixels.
QIcon DrawnToolbarIcon(ToolbarGlyph glyph);

}  // namespace stillpix
