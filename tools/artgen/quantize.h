// Reduction of a rendered picture to 256 colours with alpha, so the many
// animation frames stay small in the resource file.
#pragma once

#include <QImage>

namespace art
{

QImage quantize(const QImage &argb);

// The same pixels with a colour table, when there are at most 256 distinct
// ones (the light masks have a handful): a palette PNG decodes several times
// faster than a 32-bit one. Otherwise the picture unchanged.
QImage exactIndexed(const QImage &argb);

} // namespace art
