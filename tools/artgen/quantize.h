// Reduction of a rendered picture to 256 colours with alpha, so the many
// animation frames stay small in the resource file.
#pragma once

#include <QImage>

namespace art
{

QImage quantize(const QImage &argb);

} // namespace art
