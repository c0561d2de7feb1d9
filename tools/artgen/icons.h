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

// Every flat picture; sysBanner draws the small mouse used by the settings page.
std::vector<Picture> flatPictures(const std::function<QImage(int, int)> &sysBanner);

} // namespace art
