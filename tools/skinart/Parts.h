#pragma once

// The parts of the window korvana-skinart draws, one function for the
// pictures of each; the files group them (main.cpp: marks, brand, caption;
// Controls.cpp: the common controls; Pages.cpp: the pages).

#include <QPainter>
#include <QRectF>
#include <QString>

#include "Painting.h"

namespace skinart {

// Pictures are written below this folder, under the names the XML files use.
void SetOutputFolder(const QString& root);
void Save(Canvas& c, const QString& name);

void DrawMarks();
void DrawSpinners();
void DrawBrand();
// The program's mark drawn into `box` (also on the purchase page).
void DrawBrandMark(QPainter& p, const QRectF& box);
void DrawDesktopIcons(const QString& root);
void DrawCaptionButtons();

void DrawSignBackground();
void DrawPanels();
void DrawButtons();
void DrawCheckBoxes();
void DrawMenuAndTabs();
void DrawEdits();
void DrawScrollBars();
void DrawProgress();

void DrawAccount();
void DrawDevice();
void DrawBuy();
void DrawApps();
void DrawNotifyAndDownload();

} // namespace skinart
