#pragma once

#include <QImage>
#include <mutex>
#include <string>

#include "service/control/DeviceScreen.h"

namespace service {

// Paints snapshots of a device screen at one picture size. What stands
// still (wallpaper, icons, names, the clock of this minute) is kept as a
// layer and redrawn only when it changes; the moving element and the
// ripples are drawn on every picture.
class ScreenPainter {
public:
    ScreenPainter(int width, int height);

    const QImage& Paint(const ScreenSnapshot& snapshot);

private:
    void BuildLayer(const ScreenSnapshot& snapshot);

    int m_width;
    int m_height;
    QImage m_layer;
    QImage m_frame;
    std::string m_layerKey;
};

// Every use of fonts in the service goes through this lock: Qt's font
// engine is shared by the stream threads.
std::mutex& TextLock();

} // namespace service
