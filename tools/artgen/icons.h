// Flat pictures of the program: icons, panels, scales and the window background.
#pragma once

#include <QImage>
#include <QString>
#include <functional>
#include <vector>

namespace art
{

struct Picture {
    QString name; // path below the resource prefix, without ".png"
    QImage image;
    bool withSuffixAlias; // also registered as name + ".png"
};

// The program's icon, size x size pixels: the tray and the 64 x 64 menu icon,
// and the larger menu icon that is installed but not compiled in.
QImage appIcon(int size);

// Every flat picture; sysBanner draws the small mouse used by the settings page.
std::vector<Picture> flatPictures(const std::function<QImage(int, int)> &sysBanner);

} // namespace art
