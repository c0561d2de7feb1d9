// bench_recolor [rounds]: tinting the 600 x 390 wheel mask of the three-quarter
// view, scan-line walk against a naive pixel()/setPixel() walk, in one run.
// Aim: at most 1 ms per mask, since it is redone on every view change and
// every colour change.
#include "view/recolor.h"

#include <QGuiApplication>
#include <QImage>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace
{

using Clock = std::chrono::steady_clock;

void naive_nonzero(QImage &img, QRgb colour)
{
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            img.setPixel(x, y, img.pixel(x, y) ? colour : 0);
}

template <typename F> double microsecondsEach(const QImage &mask, int rounds, F tint)
{
    double spent = 0;
    for (int i = 0; i < rounds; ++i) {
        QImage img = mask.copy(); // as the window does: a fresh mask each time
        const auto start = Clock::now();
        tint(img);
        spent += std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    }
    return spent / rounds;
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int rounds = argc > 1 ? std::atoi(argv[1]) : 500;
    QImage mask(QStringLiteral(":/img/axis_wheel"));
    if (mask.isNull() || rounds <= 0) {
        std::fprintf(stderr,
                     mask.isNull() ? "no mask picture\n" : "usage: bench_recolor [rounds > 0]\n");
        return 2;
    }
    mask = mask.convertToFormat(QImage::Format_ARGB32);
    const QRgb colour = qRgb(0x00, 0xe3, 0x9b);

    const double fast =
        microsecondsEach(mask, rounds, [&](QImage &m) { recolor_nonzero(m, colour); });
    const double white =
        microsecondsEach(mask, rounds, [&](QImage &m) { recolor_white(m, colour); });
    const double naive =
        microsecondsEach(mask, rounds, [&](QImage &m) { naive_nonzero(m, colour); });

    std::printf("mask %dx%d, %d rounds\n", mask.width(), mask.height(), rounds);
    std::printf("recolor_nonzero (scan lines)  %8.1f us   (aim: <= 1000 us)\n", fast);
    std::printf("recolor_white   (scan lines)  %8.1f us\n", white);
    std::printf("naive pixel()/setPixel()      %8.1f us   (%.0fx slower)\n", naive, naive / fast);
    return 0;
}
