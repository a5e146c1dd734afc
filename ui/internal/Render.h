#pragma once

// Painting helpers of the engine (Qt inside; never included by feature code).

#include <QColor>
#include <QFont>
#include <QPainter>
#include <QRect>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

#include "ui/UIRect.h"
#include "ui/UISize.h"

namespace DuiLib {

class CPaintManagerUI;

class CRenderContext {
public:
    CRenderContext(QPainter& p, CPaintManagerUI* pm)
        : painter(p)
        , manager(pm)
    {
    }
    QPainter& painter;
    CPaintManagerUI* manager;
};

namespace render {

    inline QRect ToQRect(const RECT& rc)
    {
        return QRect(rc.left, rc.top, rc.Width(), rc.Height());
    }
    inline QColor ToQColor(std::uint32_t argb)
    {
        return QColor::fromRgba(argb);
    }
    inline QString ToQString(const std::wstring& s)
    {
        return QString::fromStdWString(s);
    }

    QFont FontOf(CPaintManagerUI* pm, int id);
    int FontHeight(CPaintManagerUI* pm, int id);

    void FillRect(QPainter& p, const RECT& rc, std::uint32_t argb, SIZE round = {});
    void FillGradient(QPainter& p, const RECT& rc, std::uint32_t top, std::uint32_t bottom);
    void DrawBorder(QPainter& p, const RECT& rc, int size, std::uint32_t argb, SIZE round = {});

    // Draws src of img into dest as QPainter::drawImage does, with the same
    // pixels, without the raster engine's thread pool.
    void DrawImageInBands(QPainter& p, const QRect& dest, const QImage& img, const QRect& src);

    // Draws image attribute text into the control rectangle rc. False when the
    // image cannot be had (then nothing is drawn). On a painter whose device has
    // a pixel ratio above 1 the picture's "@2x" version is drawn where there is
    // one; rc, dest, source and corner are logical pixels either way.
    bool DrawImage(QPainter& p, CPaintManagerUI* pm, const RECT& rc, const std::wstring& imageText);

    // Plain text with DT_* style flags.
    void DrawText(QPainter& p, CPaintManagerUI* pm, const RECT& rc, const std::wstring& text, int font,
        std::uint32_t color, unsigned style);

    // A laid-out markup text (what LayoutMarkup gives and DrawMarkup takes).
    struct MarkupRun {
        RECT rc; // the run's box: its width, the line's height
        std::wstring text;
        int font = -1;
        bool bold = false;
        bool italic = false;
        bool underline = false;
        std::uint32_t color = 0;
        int link = -1; // index into links, or -1
    };
    struct MarkupLine {
        int top = 0;
        int height = 0;
    };
    struct MarkupLayout {
        std::vector<MarkupRun> runs;
        std::vector<MarkupLine> lines;
        std::vector<std::wstring> links;
        std::vector<RECT> linkRects; // one per run that belongs to a link
        std::vector<int> linkOfRect;
    };

    MarkupLayout LayoutMarkup(CPaintManagerUI* pm, const RECT& rc, const std::wstring& text, int font,
        std::uint32_t color, unsigned style);
    // hoverLink: the link drawn in the hover colour (-1 none).
    void DrawMarkup(QPainter& p, CPaintManagerUI* pm, const MarkupLayout& layout, int hoverLink);

} // namespace render
} // namespace DuiLib
