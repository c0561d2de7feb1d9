// A small 3D model of the Z9K and an offline renderer for it. Every view of the
// mouse picture, its light masks and the in-between animation frames come from
// the same model, so the frames are true rotations between the views.
#pragma once

#include <QImage>

namespace art
{

enum ViewId { ViewAxis = 0, ViewTop = 1, ViewSide = 2, ViewRear = 3 };

struct Camera {
    double q[4];   // world-to-camera rotation (w, x, y, z)
    double scale;  // pixels per millimetre
    double cx, cy; // image position of the model's pivot point
};

struct Rendered {
    QImage picture;   // shaded mouse with its ground shadow, ARGB32
    QImage frontMask; // scroll-wheel light area, white, ARGB32
    QImage rearMask;  // tail light area, white, ARGB32
    QImage rearMagic; // tail light area filled with a rainbow
};

// The fixed camera of one of the four views.
Camera viewCamera(ViewId id, int width, int height);
// Camera at fraction t (0..1) of the way from a to b.
Camera blendCamera(const Camera &a, const Camera &b, double t);
// Renders the mouse; masks are made only when wanted.
Rendered renderMouse(const Camera &cam, int width, int height, bool masks, bool shadow = true);

} // namespace art
