#include "quantize.h"

#include <QVector>

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

namespace art
{
namespace
{

using Px = std::array<int, 4>; // r, g, b, a

struct Box {
    std::vector<Px> px;
    int lo[4], hi[4];
    void bounds()
    {
        for (int c = 0; c < 4; ++c) {
            lo[c] = 255;
            hi[c] = 0;
        }
        for (const Px &p : px)
            for (int c = 0; c < 4; ++c) {
                lo[c] = std::min(lo[c], p[c]);
                hi[c] = std::max(hi[c], p[c]);
            }
    }
    // alpha edges matter as much as colour, so alpha is weighted up
    int widest() const
    {
        int best = 0, bw = -1;
        for (int c = 0; c < 4; ++c) {
            int w = (hi[c] - lo[c]) * (c == 3 ? 2 : 1);
            if (w > bw) {
                bw = w;
                best = c;
            }
        }
        return best;
    }
    double score() const
    {
        int c = widest();
        return (hi[c] - lo[c]) * (c == 3 ? 2.0 : 1.0) * std::sqrt(double(px.size()));
    }
};

} // namespace

QImage quantize(const QImage &src)
{
    QImage img = src.convertToFormat(QImage::Format_ARGB32);
    const int w = img.width(), h = img.height();
    std::vector<Box> boxes(1);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        for (int x = 0; x < w; ++x)
            if (qAlpha(line[x]) >= 4)
                boxes[0].px.push_back(
                    {qRed(line[x]), qGreen(line[x]), qBlue(line[x]), qAlpha(line[x])});
    }
    QImage out(w, h, QImage::Format_Indexed8);
    QVector<QRgb> table;
    table.append(qRgba(0, 0, 0, 0));
    if (!boxes[0].px.empty()) {
        boxes[0].bounds();
        // median cut: split the box with the largest spread until 255 boxes
        while (boxes.size() < 255) {
            size_t bi = 0;
            double bs = -1;
            for (size_t i = 0; i < boxes.size(); ++i)
                if (boxes[i].px.size() > 1 && boxes[i].score() > bs) {
                    bs = boxes[i].score();
                    bi = i;
                }
            if (bs <= 0) break;
            Box &b = boxes[bi];
            int c = b.widest();
            auto mid = b.px.begin() + b.px.size() / 2;
            std::nth_element(b.px.begin(), mid, b.px.end(),
                             [c](const Px &p, const Px &q) { return p[c] < q[c]; });
            Box nb;
            nb.px.assign(mid, b.px.end());
            b.px.erase(mid, b.px.end());
            b.bounds();
            nb.bounds();
            boxes.push_back(std::move(nb));
        }
        for (const Box &b : boxes) {
            double s[4] = {0, 0, 0, 0};
            for (const Px &p : b.px)
                for (int c = 0; c < 4; ++c)
                    s[c] += p[c];
            double n = double(b.px.size());
            table.append(qRgba(int(s[0] / n + 0.5), int(s[1] / n + 0.5), int(s[2] / n + 0.5),
                               int(s[3] / n + 0.5)));
        }
    }
    out.setColorTable(table);

    auto nearest = [&](double r, double g, double b, double a) {
        int best = 1;
        double bd = 1e30;
        for (int i = 1; i < table.size(); ++i) {
            QRgb c = table[i];
            double dr = qRed(c) - r, dg = qGreen(c) - g, db = qBlue(c) - b, da = qAlpha(c) - a;
            double d = (dr * dr + dg * dg + db * db) * (a / 255.0 + 0.1) + 2.0 * da * da;
            if (d < bd) {
                bd = d;
                best = i;
            }
        }
        return best;
    };

    // light error diffusion keeps the soft gradients free of bands
    std::vector<std::array<double, 4>> err(size_t(w + 2) * 2, {0, 0, 0, 0});
    std::vector<int> cache(1 << 20, -1);
    for (int y = 0; y < h; ++y) {
        const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
        uchar *o = out.scanLine(y);
        auto *cur = &err[size_t(y & 1) * (w + 2)];
        auto *nxt = &err[size_t((y + 1) & 1) * (w + 2)];
        for (int x = 0; x < w + 2; ++x)
            nxt[x] = {0, 0, 0, 0};
        for (int x = 0; x < w; ++x) {
            QRgb p = line[x];
            if (qAlpha(p) < 4 || table.size() < 2) {
                o[x] = 0;
                continue;
            }
            double v[4] = {qRed(p) + cur[x + 1][0], qGreen(p) + cur[x + 1][1],
                           qBlue(p) + cur[x + 1][2], qAlpha(p) + cur[x + 1][3]};
            for (double &c : v)
                c = std::clamp(c, 0.0, 255.0);
            v[3] = std::max(v[3], 4.0);
            int key = (int(v[0]) >> 3) << 15 | (int(v[1]) >> 3) << 10 | (int(v[2]) >> 3) << 5 |
                      (int(v[3]) >> 3);
            int idx = cache[key];
            if (idx < 0)
                idx = cache[key] = nearest((int(v[0]) & ~7) + 4, (int(v[1]) & ~7) + 4,
                                           (int(v[2]) & ~7) + 4, (int(v[3]) & ~7) + 4);
            o[x] = uchar(idx);
            QRgb q = table[idx];
            double e[4] = {v[0] - qRed(q), v[1] - qGreen(q), v[2] - qBlue(q), v[3] - qAlpha(q)};
            const double k = 0.7 / 16.0;
            for (int c = 0; c < 4; ++c) {
                cur[x + 2][c] += e[c] * 7 * k;
                nxt[x][c] += e[c] * 3 * k;
                nxt[x + 1][c] += e[c] * 5 * k;
                nxt[x + 2][c] += e[c] * 1 * k;
            }
        }
    }
    return out;
}

QImage exactIndexed(const QImage &argb)
{
    const QImage src = argb.convertToFormat(QImage::Format_ARGB32);
    QVector<QRgb> table;
    QImage out(src.size(), QImage::Format_Indexed8);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb *in = reinterpret_cast<const QRgb *>(src.constScanLine(y));
        uchar *o = out.scanLine(y);
        for (int x = 0; x < src.width(); ++x) {
            int i = table.indexOf(in[x]);
            if (i < 0) {
                if (table.size() == 256) return argb;
                i = table.size();
                table.push_back(in[x]);
            }
            o[x] = uchar(i);
        }
    }
    out.setColorTable(table);
    return out;
}

} // namespace art
