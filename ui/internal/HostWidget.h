#pragma once

// The Qt widget of a WindowImplBase: paints the tree, feeds it input.

#include <QPoint>
#include <QRect>
#include <QWidget>

#include "ui/UIPoint.h"

namespace DuiLib {

class WindowImplBase;
class CPaintManagerUI;

class CHostWidget : public QWidget {
public:
    CHostWidget(WindowImplBase* window, CPaintManagerUI* pm);
    CPaintManagerUI* Manager() const { return m_pm; }
    // Clips the window to its round corners at its current size (none while
    // maximised).
    void ApplyRoundCorners();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;
    bool focusNextPrevChild(bool next) override;

private:
    bool InCaption(POINT pt) const;
    Qt::Edges EdgesAt(POINT pt) const;
    bool StartResize(POINT pt, const QPoint& globalPos);
    void ResizeTo(const QPoint& globalPos);

    WindowImplBase* m_window;
    CPaintManagerUI* m_pm;
    bool m_dragging = false;
    QPoint m_dragOffset;
    // A resize by the border that the window system does not run for us.
    Qt::Edges m_resizeEdges;
    QPoint m_resizeStart;
    QRect m_resizeGeometry;
    bool m_shownOnce = false;
};

} // namespace DuiLib
