#include "ui/internal/Render.h"

#include <QFontMetrics>
#include <QPainterPath>

#include <algorithm>
#include <unordered_map>

#include "ui/UIManager.h"
#include "ui/internal/Attr.h"
#include "ui/internal/ImageAttr.h"
#include "ui/internal/ManagerImpl.h"
#include "ui/internal/TextMarkup.h"

namespace DuiLib::render {

QFont FontOf(CPaintManagerUI* pm, int id)
{
    if (pm)
        return pm->GetImpl().Font(id);
    QFont f(QStringLiteral("微软雅黑"));
    f.setPixelSize(12);
    return f;
}

int FontHeight(CPaintManagerUI* pm, int id)
{
    return QFontMetrics(FontOf(pm, id)).height();
}

void FillRect(QPainter& p, const RECT& rc, std::uint32_t argb, SIZE round)
{
    if (rc.IsEmpty() || (argb >> 24) == 0)
        return;
    if (round.cx > 0 && round.cy > 0) {
        p.save();
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setPen(Qt::NoPen);
        p.setBrush(ToQColor(argb));
        p.drawRoundedRect(ToQRect(rc), round.cx / 2.0, round.cy / 2.0);
        p.restore();
        return;
    }
    p.fillRect(ToQRect(rc), ToQColor(argb));
}

void FillGradient(QPainter& p, const RECT& rc, std::uint32_t top, std::uint32_t bottom)
{
    if (rc.IsEmpty())
        return;
    QLinearGradient g(rc.left, rc.top, rc.left, rc.bottom);
    g.setColorAt(0, ToQColor(top));
    g.setColorAt(1, ToQColor(bottom));
    p.fillRect(ToQRect(rc), g);
}

void DrawBorder(QPainter& p, const RECT& rc, int size, std::uint32_t argb, SIZE round)
{
    if (size <= 0 || rc.IsEmpty())
        return;
    p.save();
    QPen pen(ToQColor(argb));
    pen.setWidth(size);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
    double half = size / 2.0;
    QRectF r(rc.left + half, rc.top + half, rc.Width() - size, rc.Height() - size);
    if (round.cx > 0 && round.cy > 0) {
        p.setRenderHint(QPainter::Antialiasing, true);
        p.drawRoundedRect(r, round.cx / 2.0, round.cy / 2.0);
    } else {
        p.drawRect(r);
    }
    p.restore();
}

// Qt's raster engine hands a blend of more than 95 rows to its thread pool
// and waits for it; on a machine with few cores the hand-over costs more than
// the blend, and the pool's threads take the cores from the client's tasks.
// Clipped to bands, the same draw stays on this thread with the same pixels.
void DrawImageInBands(QPainter& p, const QRect& dest, const QImage& img, const QRect& src)
{
    constexpr int kBandRows = 64;
    if (dest.height() <= kBandRows) {
        p.drawImage(dest, img, src);
        return;
    }
    for (int top = dest.top(); top <= dest.bottom(); top += kBandRows) {
        p.save();
        p.setClipRect(QRect(dest.left(), top, dest.width(), std::min(kBandRows, dest.bottom() + 1 - top)),
            Qt::IntersectClip);
        p.drawImage(dest, img, src);
        p.restore();
    }
}

namespace {

    // Parsed image texts: the same texts are drawn over and over.
    const ImageAttr* ImageAttrOf(const std::wstring& text)
    {
        static std::unordered_map<std::wstring, std::pair<bool, ImageAttr>> cache;
        auto it = cache.find(text);
        if (it == cache.end()) {
            if (cache.size() > 8192)
                cache.clear();
            ImageAttr attrs;
            bool ok = ParseImageAttr(text, attrs);
            it = cache.emplace(text, std::make_pair(ok, std::move(attrs))).first;
        }
        return it->second.first ? &it->second.second : nullptr;
    }

    // src is in the picture's own pixels, `scale` of them to a logical pixel.
    void DrawPart(QPainter& p, const QImage& img, const QRect& dest, const QRect& src, bool xtiled,
        bool ytiled, int scale)
    {
        if (dest.isEmpty() || src.isEmpty())
            return;
        if (!xtiled && !ytiled) {
            DrawImageInBands(p, dest, img, src);
            return;
        }
        int stepX = xtiled ? std::max(1, src.width() / scale) : dest.width();
        int stepY = ytiled ? std::max(1, src.height() / scale) : dest.height();
        p.save();
        p.setClipRect(dest, Qt::IntersectClip);
        for (int y = dest.top(); y < dest.top() + dest.height(); y += stepY)
            for (int x = dest.left(); x < dest.left() + dest.width(); x += stepX)
                p.drawImage(QRect(x, y, stepX, stepY), img, src);
        p.restore();
    }

} // namespace

bool DrawImage(QPainter& p, CPaintManagerUI* pm, const RECT& rc, const std::wstring& imageText)
{
    if (!pm || imageText.empty() || rc.IsEmpty())
        return false;
    const ImageAttr* attrs = ImageAttrOf(imageText);
    if (!attrs)
        return false;
    // On a HiDPI screen the 2x picture where there is one. Everything the
    // skin says (dest, source, corner) stays in logical pixels; source and
    // corner are measured on the picture at its scale.
    const QPaintDevice* device = p.device();
    const int wanted = device && device->devicePixelRatioF() > 1.0 ? 2 : 1;
    int k = 1;
    const QImage* img = pm->GetImpl().images.Find(attrs->file, attrs->hasMask, attrs->mask, wanted, &k);
    if (!img)
        return false;
    RECT dest = rc;
    if (attrs->hasDest) {
        dest = RECT { rc.left + attrs->dest.left, rc.top + attrs->dest.top, rc.left + attrs->dest.right,
            rc.top + attrs->dest.bottom };
        dest = dest.Intersected(rc);
    }
    if (dest.IsEmpty())
        return false;
    QRect src(0, 0, img->width(), img->height());
    if (attrs->hasSource) {
        QRect s(attrs->source.left * k, attrs->source.top * k, attrs->source.Width() * k,
            attrs->source.Height() * k);
        src = s.intersected(src);
        if (src.isEmpty())
            return false;
    }
    p.save();
    if (attrs->fade < 255)
        p.setOpacity(p.opacity() * attrs->fade / 255.0);
    p.setRenderHint(QPainter::SmoothPixmapTransform, true);
    const RECT& c = attrs->corner;
    QRect d = ToQRect(dest);
    if (c.left == 0 && c.top == 0 && c.right == 0 && c.bottom == 0) {
        DrawPart(p, *img, d, src, attrs->xtiled, attrs->ytiled, k);
    } else {
        // Nine parts: corners keep their size, edges stretch one way.
        int l = std::min(c.left * k, src.width()), r = std::min(c.right * k, src.width() - l);
        int t = std::min(c.top * k, src.height()), b = std::min(c.bottom * k, src.height() - t);
        int dl = std::min(l / k, d.width()), dr = std::min(r / k, d.width() - dl);
        int dt = std::min(t / k, d.height()), db = std::min(b / k, d.height() - dt);
        int sx[4] = { src.left(), src.left() + l, src.left() + src.width() - r, src.left() + src.width() };
        int sy[4] = { src.top(), src.top() + t, src.top() + src.height() - b, src.top() + src.height() };
        int dx[4] = { d.left(), d.left() + dl, d.left() + d.width() - dr, d.left() + d.width() };
        int dy[4] = { d.top(), d.top() + dt, d.top() + d.height() - db, d.top() + d.height() };
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 3; ++col) {
                if (attrs->hole && row == 1 && col == 1)
                    continue;
                QRect sp(sx[col], sy[row], sx[col + 1] - sx[col], sy[row + 1] - sy[row]);
                QRect dp(dx[col], dy[row], dx[col + 1] - dx[col], dy[row + 1] - dy[row]);
                DrawPart(p, *img, dp, sp, false, false, k);
            }
        }
    }
    p.restore();
    return true;
}

namespace {

    int QtAlignOf(unsigned style)
    {
        int flags = 0;
        if (style & DT_CENTER)
            flags |= Qt::AlignHCenter;
        else if (style & DT_RIGHT)
            flags |= Qt::AlignRight;
        else
            flags |= Qt::AlignLeft;
        if (style & DT_VCENTER)
            flags |= Qt::AlignVCenter;
        else if (style & DT_BOTTOM)
            flags |= Qt::AlignBottom;
        else
            flags |= Qt::AlignTop;
        return flags;
    }

} // namespace

void DrawText(QPainter& p, CPaintManagerUI* pm, const RECT& rc, const std::wstring& text, int font,
    std::uint32_t color, unsigned style)
{
    if (text.empty() || rc.IsEmpty())
        return;
    QFont f = FontOf(pm, font);
    p.setFont(f);
    p.setPen(ToQColor(color));
    QString s = ToQString(text);
    QRect r = ToQRect(rc);
    int flags = QtAlignOf(style);
    bool single = (style & DT_SINGLELINE) || !(style & DT_WORDBREAK);
    if (single) {
        s.replace(QLatin1Char('\r'), QString());
        s.replace(QLatin1Char('\n'), QLatin1Char(' '));
        flags |= Qt::TextSingleLine;
        if (style & DT_END_ELLIPSIS)
            s = QFontMetrics(f).elidedText(s, Qt::ElideRight, r.width());
    } else {
        flags |= Qt::TextWordWrap;
    }
    p.drawText(r, flags, s);
}

// ---------------------------------------------------------------- markup

namespace {

    struct MarkupState {
        std::vector<int> fonts;
        std::vector<std::uint32_t> colors;
        std::vector<int> links;
        int bold = 0;
        int italic = 0;
        int underline = 0;
    };

    QFont RunFont(CPaintManagerUI* pm, int font, bool bold, bool italic, bool underline)
    {
        QFont f = FontOf(pm, font);
        if (bold)
            f.setBold(true);
        if (italic)
            f.setItalic(true);
        if (underline)
            f.setUnderline(true);
        return f;
    }

} // namespace

MarkupLayout LayoutMarkup(CPaintManagerUI* pm, const RECT& rc, const std::wstring& text, int font,
    std::uint32_t color, unsigned style)
{
    MarkupLayout out;
    MarkupState st;
    st.fonts.push_back(font);
    st.colors.push_back(color);
    const bool wrap = !(style & DT_SINGLELINE) && (style & DT_WORDBREAK);
    const int baseHeight = FontHeight(pm, font);
    int fixedLineHeight = -1;

    int x = rc.left;
    int lineTop = rc.top;
    std::size_t lineStart = 0; // first run of the current line
    int lineHeight = 0;
    bool lineHasContent = false;

    auto finishLine = [&] {
        int h
            = fixedLineHeight >= 0 ? fixedLineHeight : std::max(lineHeight, lineHasContent ? 0 : baseHeight);
        if (fixedLineHeight < 0 && h == 0)
            h = baseHeight;
        int width = 0;
        for (std::size_t i = lineStart; i < out.runs.size(); ++i) {
            out.runs[i].rc.top = lineTop;
            out.runs[i].rc.bottom = lineTop + h;
            width = std::max(width, out.runs[i].rc.right - rc.left);
        }
        int shift = 0;
        if (style & DT_CENTER)
            shift = (rc.Width() - width) / 2;
        else if (style & DT_RIGHT)
            shift = rc.Width() - width;
        if (shift != 0)
            for (std::size_t i = lineStart; i < out.runs.size(); ++i)
                out.runs[i].rc.Offset(shift, 0);
        out.lines.push_back(MarkupLine { lineTop, h });
        lineTop += h;
        lineStart = out.runs.size();
        lineHeight = 0;
        lineHasContent = false;
        x = rc.left;
    };

    auto addRun = [&](const std::wstring& piece) {
        bool bold = st.bold > 0, italic = st.italic > 0, underline = st.underline > 0;
        int link = st.links.empty() ? -1 : st.links.back();
        QFont f = RunFont(pm, st.fonts.back(), bold, italic, underline || link >= 0);
        QFontMetrics fm(f);
        std::wstring rest = piece;
        while (!rest.empty()) {
            QString qs = ToQString(rest);
            int w = fm.horizontalAdvance(qs);
            std::wstring part = rest;
            if (wrap && x + w > rc.right && rc.Width() > 0) {
                // Fit as many characters as the line takes (at least one on an empty line).
                int room = rc.right - x;
                int n = 0;
                int used = 0;
                for (std::size_t i = 0; i < rest.size(); ++i) {
                    int cw = fm.horizontalAdvance(ToQString(rest.substr(i, 1)));
                    if (used + cw > room)
                        break;
                    used += cw;
                    ++n;
                }
                if (n == 0 && !lineHasContent && x == rc.left)
                    n = 1;
                if (n == 0) {
                    finishLine();
                    continue;
                }
                part = rest.substr(0, static_cast<std::size_t>(n));
                w = fm.horizontalAdvance(ToQString(part));
            }
            MarkupRun run;
            run.rc = RECT { x, lineTop, x + w, lineTop };
            run.text = part;
            run.font = st.fonts.back();
            run.bold = bold;
            run.italic = italic;
            run.underline = underline;
            run.color = st.colors.back();
            run.link = link;
            out.runs.push_back(std::move(run));
            x += w;
            lineHeight = std::max(lineHeight, fm.height());
            lineHasContent = true;
            rest = rest.substr(part.size());
            if (!rest.empty())
                finishLine();
        }
    };

    for (const auto& token : markup::Tokenize(text)) {
        using markup::Tag;
        using markup::Token;
        if (token.type == Token::Text) {
            std::wstring piece;
            for (wchar_t c : token.text) {
                if (c == L'\n') {
                    if (!piece.empty())
                        addRun(piece);
                    piece.clear();
                    finishLine();
                } else if (c != L'\r') {
                    piece += c;
                }
            }
            if (!piece.empty())
                addRun(piece);
            continue;
        }
        const bool open = token.type == Token::Open;
        int n = 0;
        switch (token.tag) {
        case Tag::Bold:
            st.bold += open ? 1 : (st.bold > 0 ? -1 : 0);
            break;
        case Tag::Italic:
            st.italic += open ? 1 : (st.italic > 0 ? -1 : 0);
            break;
        case Tag::Underline:
            st.underline += open ? 1 : (st.underline > 0 ? -1 : 0);
            break;
        case Tag::Color:
            if (open) {
                std::uint32_t c = st.colors.back();
                attr::ParseColor(token.text, c);
                st.colors.push_back(c);
            } else if (st.colors.size() > 1) {
                st.colors.pop_back();
            }
            break;
        case Tag::Font:
            if (open) {
                int id = st.fonts.back();
                attr::ParseInt(token.text, id);
                st.fonts.push_back(id);
            } else if (st.fonts.size() > 1) {
                st.fonts.pop_back();
            }
            break;
        case Tag::Link:
            if (open) {
                out.links.push_back(token.text);
                st.links.push_back(static_cast<int>(out.links.size()) - 1);
                std::uint32_t linkColor = pm ? pm->GetDefaultLinkFontColor() : 0xFF0000FF;
                st.colors.push_back(linkColor);
            } else if (!st.links.empty()) {
                st.links.pop_back();
                if (st.colors.size() > 1)
                    st.colors.pop_back();
            }
            break;
        case Tag::X:
            // The closing tag has no effect.
            if (open && attr::ParseInt(token.text, n))
                x += std::clamp(n, -10000, 10000);
            break;
        case Tag::Y:
            if (open && attr::ParseInt(token.text, n))
                fixedLineHeight = std::clamp(n, 0, 10000);
            break;
        case Tag::Paragraph:
            if (open) {
                if (lineHasContent || !out.lines.empty() || x != rc.left)
                    finishLine();
                if (attr::ParseInt(token.text, n))
                    lineTop += std::clamp(n, 0, 10000);
            } else if (lineHasContent) {
                finishLine();
            }
            break;
        case Tag::NewLine:
            if (open)
                finishLine();
            break;
        case Tag::Selected:
            break;
        }
    }
    if (lineHasContent || out.lines.empty() || lineStart < out.runs.size())
        finishLine();

    // Vertical placement of the whole block.
    int total = lineTop - rc.top;
    int shift = 0;
    if (style & DT_VCENTER)
        shift = (rc.Height() - total) / 2;
    else if (style & DT_BOTTOM)
        shift = rc.Height() - total;
    if (shift != 0) {
        for (auto& run : out.runs)
            run.rc.Offset(0, shift);
        for (auto& line : out.lines)
            line.top += shift;
    }
    for (const auto& run : out.runs) {
        if (run.link >= 0) {
            out.linkRects.push_back(run.rc);
            out.linkOfRect.push_back(run.link);
        }
    }
    return out;
}

void DrawMarkup(QPainter& p, CPaintManagerUI* pm, const MarkupLayout& layout, int hoverLink)
{
    std::uint32_t hoverColor = pm ? pm->GetDefaultLinkHoverFontColor() : 0xFFD3215F;
    for (const auto& run : layout.runs) {
        QFont f = RunFont(pm, run.font, run.bold, run.italic, run.underline || run.link >= 0);
        p.setFont(f);
        p.setPen(ToQColor(run.link >= 0 && run.link == hoverLink ? hoverColor : run.color));
        QRect r = ToQRect(run.rc);
        p.drawText(
            r, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip, ToQString(run.text));
    }
}

} // namespace DuiLib::render
