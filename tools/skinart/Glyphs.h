#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

namespace skinart {

// Line icons drawn on a 24-unit grid and scaled into any box, so one drawing
// serves every size and colour the skin needs.
enum class Glyph {
    Help,
    Menu,
    Minimize,
    Maximize,
    Restore,
    Close,
    User,
    Phone,
    Coin,
    Cart,
    Gear,
    Apps,
    Bell,
    Refresh,
    Power,
    Undo,
    Upload,
    Install,
    Pencil,
    Play,
    Pause,
    Check,
    Cross,
    Search,
    Plus,
    Minus,
    Globe,
    Scan,
    Cloud,
    Folder,
    Group,
    Record,
    Invite,
};

// Draws the glyph in box with the colour; stroke is in grid units.
void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& box, const QColor& color, qreal stroke = 1.8);

} // namespace skinart
