#include "icons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

#include <cmath>

namespace art
{
namespace
{

const QColor kAccent(0, 227, 155);
const QColor kDim(255, 255, 255, 178);   // plain icons, the text colour of idle entries
const QColor kWhite(255, 255, 255, 240); // icons on an accent ground
const double kPi = 3.14159265358979323846;

QImage canvas(int w, int h)
{
    QImage im(w, h, QImage::Format_ARGB32_Premultiplied);
    im.fill(Qt::transparent);
    return im;
}

QPen pen(const QColor &c, double w)
{
    QPen p(c, w);
    p.setCapStyle(Qt::RoundCap);
    p.setJoinStyle(Qt::RoundJoin);
    return p;
}

struct Painter : QPainter {
    explicit Painter(QImage *im) : QPainter(im)
    {
        setRenderHint(QPainter::Antialiasing);
        setRenderHint(QPainter::SmoothPixmapTransform);
    }
};

QImage done(const QImage &im)
{
    return im.convertToFormat(QImage::Format_ARGB32);
}

// The brand's "K", in a unit square.
QPainterPath kGlyph(const QRectF &r)
{
    auto P = [&](double x, double y) {
        return QPointF(r.left() + x * r.width(), r.top() + y * r.height());
    };
    QPainterPath bar, up, down;
    bar.addPolygon(QPolygonF({P(0.14, 0.12), P(0.36, 0.12), P(0.36, 0.88), P(0.14, 0.88)}));
    bar.closeSubpath();
    up.addPolygon(
        QPolygonF({P(0.36, 0.46), P(0.66, 0.12), P(0.92, 0.12), P(0.50, 0.60), P(0.36, 0.60)}));
    up.closeSubpath();
    down.addPolygon(QPolygonF({P(0.50, 0.44), P(0.92, 0.88), P(0.66, 0.88), P(0.38, 0.58)}));
    down.closeSubpath();
    QPainterPath k = bar.united(up).united(down);
    return k.simplified();
}

QPolygonF hexagon(const QRectF &r)
{
    double cx = r.center().x(), w = r.width() / 2, t = r.top(), h = r.height();
    return QPolygonF({QPointF(cx, t), QPointF(cx + w, t + h * 0.25), QPointF(cx + w, t + h * 0.75),
                      QPointF(cx, t + h), QPointF(cx - w, t + h * 0.75),
                      QPointF(cx - w, t + h * 0.25)});
}

// ------------------------------------------------------------ navigation icons (16 x 16)

void navHome(QPainter &p)
{
    QPainterPath roof;
    roof.moveTo(1.8, 8.2);
    roof.lineTo(8, 2.4);
    roof.lineTo(14.2, 8.2);
    p.drawPath(roof);
    QPainterPath body;
    body.moveTo(3.8, 7.2);
    body.lineTo(3.8, 13.6);
    body.lineTo(12.2, 13.6);
    body.lineTo(12.2, 7.2);
    p.drawPath(body);
    p.drawLine(QPointF(6.8, 13.6), QPointF(6.8, 10.2));
    p.drawLine(QPointF(6.8, 10.2), QPointF(9.2, 10.2));
    p.drawLine(QPointF(9.2, 10.2), QPointF(9.2, 13.6));
}

void navButtons(QPainter &p)
{
    p.drawRoundedRect(QRectF(3.6, 1.4, 8.8, 13.2), 4.4, 4.4);
    p.drawLine(QPointF(3.8, 6.6), QPointF(12.2, 6.6));
    p.drawLine(QPointF(8, 1.6), QPointF(8, 6.6));
    QPen w = p.pen();
    w.setWidthF(2.0);
    p.setPen(w);
    p.drawLine(QPointF(8, 3.4), QPointF(8, 4.8));
}

void navLight(QPainter &p)
{
    QPainterPath bulb;
    bulb.moveTo(6.2, 11.2);
    bulb.cubicTo(6.2, 9.4, 3.8, 8.6, 3.8, 6.0);
    bulb.arcTo(QRectF(3.8, 1.6, 8.4, 8.4), 180, -180);
    bulb.cubicTo(12.2, 8.6, 9.8, 9.4, 9.8, 11.2);
    bulb.closeSubpath();
    p.drawPath(bulb);
    p.drawLine(QPointF(6.4, 13.0), QPointF(9.6, 13.0));
    p.drawLine(QPointF(7.0, 14.8), QPointF(9.0, 14.8));
    p.drawLine(QPointF(8, 11.2), QPointF(8, 8.2));
}

void navSpeed(QPainter &p)
{
    QRectF r(1.6, 3.2, 12.8, 12.8);
    p.drawArc(r, -30 * 16, 240 * 16);
    QPointF c = r.center();
    double a = 40 * kPi / 180;
    p.drawLine(c, c + QPointF(std::cos(a) * 4.6, -std::sin(a) * 4.6));
    p.save();
    p.setBrush(p.pen().color());
    p.drawEllipse(c, 1.1, 1.1);
    p.restore();
    for (int i = 0; i < 5; ++i) {
        double t = (210 - i * 60) * kPi / 180;
        if (i == 4) break;
        QPointF d(std::cos(t), -std::sin(t));
        p.drawPoint(c + d * 4.2);
    }
}

void navGear(QPainter &p)
{
    QPainterPath g;
    const int teeth = 8;
    const QPointF c(8, 8);
    for (int i = 0; i < teeth * 4; ++i) {
        double a = (i * 360.0 / (teeth * 4) - 5.6) * kPi / 180;
        double r = (i % 4 == 0 || i % 4 == 1) ? 6.9 : 5.2;
        QPointF pt = c + QPointF(std::cos(a) * r, std::sin(a) * r);
        if (i == 0)
            g.moveTo(pt);
        else
            g.lineTo(pt);
    }
    g.closeSubpath();
    p.drawPath(g);
    p.drawEllipse(c, 2.2, 2.2);
}

QImage navIcon(void (*draw)(QPainter &), const QColor &c)
{
    QImage im = canvas(16, 16);
    Painter p(&im);
    p.setPen(pen(c, 1.35));
    p.setBrush(Qt::NoBrush);
    draw(p);
    return done(im);
}

// ------------------------------------------------------------ welcome tiles (24 x 24, white)

QImage tile(const std::function<void(QPainter &)> &draw)
{
    QImage im = canvas(24, 24);
    Painter p(&im);
    p.setPen(pen(QColor(255, 255, 255, 235), 1.6));
    p.setBrush(Qt::NoBrush);
    draw(p);
    return done(im);
}

// ------------------------------------------------------------ effect icons (14 x 14)

QImage effectIcon(int kind, const QColor &c)
{
    QImage im = canvas(14, 14);
    Painter p(&im);
    p.setPen(pen(c, 1.3));
    switch (kind) {
    case 0: // off: power symbol
        p.drawArc(QRectF(2, 2.6, 10, 10), 125 * 16, 290 * 16);
        p.drawLine(QPointF(7, 1.4), QPointF(7, 6.6));
        break;
    case 1: { // on: a glowing sun
        p.setBrush(c);
        p.drawEllipse(QPointF(7, 7), 2.3, 2.3);
        for (int i = 0; i < 8; ++i) {
            double a = i * kPi / 4;
            QPointF d(std::cos(a), std::sin(a));
            p.drawLine(QPointF(7, 7) + d * 4.3, QPointF(7, 7) + d * 5.9);
        }
        break;
    }
    case 2: { // breath: a slow wave
        QPainterPath w;
        for (int i = 0; i <= 40; ++i) {
            double x = 1.2 + 11.6 * i / 40.0;
            double y = 7 - 3.6 * std::sin((x - 1.2) / 11.6 * 2 * kPi);
            if (i == 0)
                w.moveTo(x, y);
            else
                w.lineTo(x, y);
        }
        p.drawPath(w);
        break;
    }
    case 3: { // run: lights chasing along
        QPainterPath ch;
        ch.moveTo(2.2, 3.4);
        ch.lineTo(5.8, 7);
        ch.lineTo(2.2, 10.6);
        ch.moveTo(7.2, 3.4);
        ch.lineTo(10.8, 7);
        ch.lineTo(7.2, 10.6);
        p.drawPath(ch);
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(12.6, 7), 1.0, 1.0);
        break;
    }
    case 6: { // magic: sparkles
        auto star = [&](QPointF o, double r) {
            QPainterPath s;
            s.moveTo(o + QPointF(0, -r));
            s.quadTo(o, o + QPointF(r, 0));
            s.quadTo(o, o + QPointF(0, r));
            s.quadTo(o, o + QPointF(-r, 0));
            s.quadTo(o, o + QPointF(0, -r));
            p.drawPath(s);
        };
        p.setBrush(c);
        p.setPen(Qt::NoPen);
        star(QPointF(5.6, 7.6), 5.0);
        star(QPointF(11.2, 3.2), 2.6);
        star(QPointF(11.4, 11.0), 1.8);
        break;
    }
    }
    return done(im);
}

// ------------------------------------------------------------ dialog panels

QImage panel(int w, int h, bool notch)
{
    QImage im = canvas(w, h);
    Painter p(&im);
    QPainterPath path;
    double left = notch ? 7.5 : 0.5;
    path.addRoundedRect(QRectF(left, 0.5, w - left - 0.5, h - 1), 6, 6);
    if (notch) {
        QPainterPath tip;
        tip.moveTo(left + 1, 49);
        tip.lineTo(0.8, 57);
        tip.lineTo(left + 1, 65);
        tip.closeSubpath();
        path = path.united(tip);
    }
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0x20, 0x25, 0x31));
    g.setColorAt(1, QColor(0x17, 0x1b, 0x24));
    p.setBrush(g);
    p.setPen(QPen(QColor(255, 255, 255, 26), 1));
    p.drawPath(path);
    // a faint highlight along the top edge
    QLinearGradient top(left, 0, w, 0);
    top.setColorAt(0, QColor(255, 255, 255, 0));
    top.setColorAt(0.5, QColor(255, 255, 255, 30));
    top.setColorAt(1, QColor(255, 255, 255, 0));
    p.setPen(QPen(QBrush(top), 1));
    p.drawLine(QPointF(left + 8, 1.5), QPointF(w - 8, 1.5));
    return im;
}

QImage dialogPanel(bool reset)
{
    const int w = 826, h = 556;
    QImage im = canvas(w, h);
    Painter p(&im);
    QPainterPath path;
    path.addRoundedRect(QRectF(0.5, 0.5, w - 1, h - 1), 8, 8);
    QLinearGradient g(0, 0, 0, h);
    g.setColorAt(0, QColor(0x1f, 0x24, 0x30));
    g.setColorAt(1, QColor(0x15, 0x19, 0x21));
    p.fillPath(path, g);
    p.setClipPath(path);
    // soft light behind the centre picture
    const QPointF c(411, 208);
    QRadialGradient glow(c, 170);
    glow.setColorAt(0, QColor(0, 227, 155, 30));
    glow.setColorAt(0.5, QColor(0, 227, 155, 10));
    glow.setColorAt(1, QColor(0, 227, 155, 0));
    p.fillRect(QRectF(0, 0, w, h), glow);
    // accent line along the top edge, fading out to both sides
    QLinearGradient top(0, 0, w, 0);
    top.setColorAt(0, QColor(0, 227, 155, 0));
    top.setColorAt(0.5, QColor(0, 227, 155, 200));
    top.setColorAt(1, QColor(0, 227, 155, 0));
    p.fillRect(QRectF(180, 0, w - 360, 2), top);
    // title separator under the caption
    QLinearGradient sep(0, 0, w, 0);
    sep.setColorAt(0, QColor(255, 255, 255, 0));
    sep.setColorAt(0.15, QColor(255, 255, 255, 18));
    sep.setColorAt(0.85, QColor(255, 255, 255, 18));
    sep.setColorAt(1, QColor(255, 255, 255, 0));
    p.fillRect(QRectF(28, 76, w - 56, 1), sep);
    p.setClipping(false);
    p.setPen(QPen(QColor(255, 255, 255, 24), 1));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);

    if (reset) {
        // the factory-reset sign: a circular arrow round a dot, in the accent
        p.setPen(pen(QColor(0, 227, 155, 60), 2));
        p.drawEllipse(c, 58, 58);
        QPen ring = pen(kAccent, 6);
        p.setPen(ring);
        QRectF r(c.x() - 34, c.y() - 34, 68, 68);
        p.drawArc(r, 110 * 16, 300 * 16);
        double a = 110 * kPi / 180;
        QPointF tipBase = c + QPointF(std::cos(a) * 34, -std::sin(a) * 34);
        QPainterPath head;
        head.moveTo(tipBase + QPointF(-13, -7));
        head.lineTo(tipBase + QPointF(9, -2));
        head.lineTo(tipBase + QPointF(-4, 14));
        head.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPath(head);
        p.drawEllipse(c, 6, 6);
    }
    return done(im);
}

QImage updateIcon(bool finished)
{
    QImage im = canvas(122, 122);
    Painter p(&im);
    const QPointF c(61, 61);
    QRadialGradient g(c, 60);
    g.setColorAt(0, QColor(0, 227, 155, 40));
    g.setColorAt(0.85, QColor(0, 227, 155, 12));
    g.setColorAt(1, QColor(0, 227, 155, 0));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawEllipse(c, 60, 60);
    p.setBrush(Qt::NoBrush);
    p.setPen(pen(QColor(0, 227, 155, 90), 1.5));
    p.drawEllipse(c, 52, 52);
    p.setPen(pen(QColor(0, 227, 155, 170), 2.5));
    p.drawArc(QRectF(9, 9, 104, 104), 60 * 16, 60 * 16);
    p.drawArc(QRectF(9, 9, 104, 104), 240 * 16, 60 * 16);
    if (!finished) {
        // a chip with an arrow rising out of it
        QPen chip = pen(kAccent, 3);
        p.setPen(chip);
        QRectF body(39, 39, 44, 44);
        p.drawRoundedRect(body, 6, 6);
        for (int i = 0; i < 4; ++i) {
            double o = 47 + i * 9.3;
            p.drawLine(QPointF(o, 31), QPointF(o, 36));
            p.drawLine(QPointF(o, 86), QPointF(o, 91));
            p.drawLine(QPointF(31, o), QPointF(36, o));
            p.drawLine(QPointF(86, o), QPointF(91, o));
        }
        p.setPen(pen(kAccent, 4));
        p.drawLine(QPointF(61, 74), QPointF(61, 50));
        QPainterPath head;
        head.moveTo(51, 59);
        head.lineTo(61, 48);
        head.lineTo(71, 59);
        p.drawPath(head);
    } else {
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(c, 36, 36);
        p.setPen(pen(QColor(255, 255, 255), 6));
        QPainterPath tick;
        tick.moveTo(44, 62);
        tick.lineTo(56, 74);
        tick.lineTo(79, 50);
        p.setBrush(Qt::NoBrush);
        p.drawPath(tick);
    }
    return done(im);
}

// ------------------------------------------------------------ window background

QImage background()
{
    const int w = 1100, h = 750;
    QImage im(w, h, QImage::Format_RGB32);
    {
        Painter p(&im);
        QLinearGradient g(0, 0, 0, h);
        g.setColorAt(0, QColor(0x1b, 0x1f, 0x29));
        g.setColorAt(0.55, QColor(0x16, 0x1a, 0x22));
        g.setColorAt(1, QColor(0x12, 0x15, 0x1c));
        p.fillRect(im.rect(), g);
        // a soft pool of light where the mouse picture sits
        QRadialGradient pool(QPointF(640, 215), 430);
        pool.setColorAt(0, QColor(62, 72, 92, 70));
        pool.setColorAt(0.6, QColor(50, 58, 76, 22));
        pool.setColorAt(1, QColor(40, 46, 60, 0));
        p.fillRect(QRect(180, 0, 920, 750), pool);
        // the navigation column is a shade darker, with a hairline edge
        QLinearGradient nav(0, 0, 0, h);
        nav.setColorAt(0, QColor(0x13, 0x16, 0x1e));
        nav.setColorAt(1, QColor(0x0e, 0x11, 0x16));
        p.fillRect(QRect(0, 0, 180, h), nav);
        QLinearGradient edge(0, 0, 0, h);
        edge.setColorAt(0, QColor(255, 255, 255, 6));
        edge.setColorAt(0.5, QColor(255, 255, 255, 14));
        edge.setColorAt(1, QColor(255, 255, 255, 4));
        p.fillRect(QRect(179, 0, 1, h), edge);
        // a faint accent wash in the column's top corner behind the logo
        QRadialGradient corner(QPointF(40, 40), 200);
        corner.setColorAt(0, QColor(0, 227, 155, 14));
        corner.setColorAt(1, QColor(0, 227, 155, 0));
        p.fillRect(QRect(0, 0, 180, 260), corner);
        // fine diagonal lines in the column, too faint to compete with the entries
        p.setClipRect(QRect(0, 0, 179, h));
        p.setPen(QPen(QColor(255, 255, 255, 4), 1));
        for (int x = -h; x < 180; x += 6)
            p.drawLine(QPointF(x, h), QPointF(x + h, 0));
        p.setClipping(false);
        // a thin accent line under the title area of the column
        QLinearGradient line(36, 0, 160, 0);
        line.setColorAt(0, QColor(0, 227, 155, 90));
        line.setColorAt(1, QColor(0, 227, 155, 0));
        p.fillRect(QRectF(36, 80, 124, 1), line);
    }
    return im;
}

QImage banner(const std::function<QImage(int, int)> &mouse)
{
    const int w = 920, h = 100;
    QImage im = canvas(w, h);
    Painter p(&im);
    // a glowing horizon under the mouse
    QLinearGradient line(0, 0, w, 0);
    line.setColorAt(0, QColor(0, 227, 155, 0));
    line.setColorAt(0.3, QColor(0, 227, 155, 60));
    line.setColorAt(0.5, QColor(0, 227, 155, 220));
    line.setColorAt(0.7, QColor(0, 227, 155, 60));
    line.setColorAt(1, QColor(0, 227, 155, 0));
    p.fillRect(QRectF(60, 86, w - 120, 1.5), line);
    QRadialGradient glow(QPointF(w / 2.0, 87), 150);
    glow.setColorAt(0, QColor(0, 227, 155, 60));
    glow.setColorAt(1, QColor(0, 227, 155, 0));
    p.save();
    p.translate(0, 87);
    p.scale(1, 0.12);
    p.translate(0, -87);
    p.fillRect(QRectF(0, 0, w, 200), glow);
    p.restore();
    QImage m = mouse(240, 84);
    p.drawImage(QPointF((w - m.width()) / 2.0, 87 - m.height() + 1), m);
    // a dim mirror image on the desk line
    QImage refl = m.mirrored(false, true);
    {
        QPainter rp(&refl);
        rp.setCompositionMode(QPainter::CompositionMode_DestinationIn);
        QLinearGradient fade(0, 0, 0, 14);
        fade.setColorAt(0, QColor(0, 0, 0, 50));
        fade.setColorAt(1, QColor(0, 0, 0, 0));
        rp.fillRect(refl.rect(), fade);
    }
    p.drawImage(QPointF((w - m.width()) / 2.0, 88), refl);
    return done(im);
}

} // namespace

QImage appIcon(int size)
{
    // Drawn on a 64-unit grid; larger sizes are the same drawing scaled, so
    // every edge stays sharp instead of being an enlarged 64 px bitmap.
    QImage im = canvas(size, size);
    Painter p(&im);
    if (size != 64) p.scale(size / 64.0, size / 64.0);
    QLinearGradient g(0, 0, 0, 64);
    g.setColorAt(0, QColor(0x26, 0x2c, 0x3a));
    g.setColorAt(1, QColor(0x12, 0x15, 0x1c));
    p.setBrush(g);
    p.setPen(QPen(QColor(255, 255, 255, 30), 1));
    p.drawRoundedRect(QRectF(2.5, 2.5, 59, 59), 13, 13);
    QPolygonF hex = hexagon(QRectF(12, 8, 40, 48));
    p.setPen(pen(kAccent, 3));
    p.setBrush(QColor(0, 227, 155, 30));
    p.drawPolygon(hex);
    p.setPen(Qt::NoPen);
    p.setBrush(kAccent);
    p.drawPath(kGlyph(QRectF(21, 20, 23, 24)));
    return done(im);
}

std::vector<Picture> flatPictures(const std::function<QImage(int, int)> &sysBanner)
{
    std::vector<Picture> out;
    auto add = [&](const QString &n, const QImage &im, bool suffix = true) {
        out.push_back({n, im, suffix});
    };

    struct Nav {
        const char *label;
        void (*draw)(QPainter &);
    };
    const Nav navs[5] = {{"主页", navHome},
                         {"鼠标键设置", navButtons},
                         {"灯光设置", navLight},
                         {"指针速度", navSpeed},
                         {"设置", navGear}};
    for (const Nav &n : navs) {
        add(QString::fromUtf8(n.label), navIcon(n.draw, kDim));
        add(QString::fromUtf8(n.label) + "_s", navIcon(n.draw, kAccent));
    }

    // welcome tiles
    add("mainpage/prog_key", tile([](QPainter &p) {
            p.drawRoundedRect(QRectF(2.5, 3.5, 19, 17), 3.5, 3.5);
            QPainterPath code;
            code.moveTo(8.6, 8.6);
            code.lineTo(5.6, 12);
            code.lineTo(8.6, 15.4);
            code.moveTo(15.4, 8.6);
            code.lineTo(18.4, 12);
            code.lineTo(15.4, 15.4);
            code.moveTo(13.2, 7.8);
            code.lineTo(10.8, 16.2);
            p.drawPath(code);
        }));
    add("mainpage/micro_switch", tile([](QPainter &p) {
            p.drawRoundedRect(QRectF(3.5, 12.5, 17, 8), 1.5, 1.5);
            p.drawRect(QRectF(9.5, 8.5, 5, 4));
            p.drawLine(QPointF(6.5, 20.5), QPointF(6.5, 23));
            p.drawLine(QPointF(17.5, 20.5), QPointF(17.5, 23));
            QPainterPath arrow;
            arrow.moveTo(12, 1.2);
            arrow.lineTo(12, 6);
            arrow.moveTo(9.6, 3.8);
            arrow.lineTo(12, 6.2);
            arrow.lineTo(14.4, 3.8);
            p.drawPath(arrow);
        }));
    add("mainpage/double_mode", tile([](QPainter &p) {
            QPainterPath a;
            a.moveTo(3, 8);
            a.lineTo(20, 8);
            a.moveTo(16, 4);
            a.lineTo(20.2, 8);
            a.lineTo(16, 12);
            a.moveTo(21, 16);
            a.lineTo(4, 16);
            a.moveTo(8, 12);
            a.lineTo(3.8, 16);
            a.lineTo(8, 20);
            p.drawPath(a);
        }));
    add("mainpage/ergonomics", tile([](QPainter &p) {
            // the mouse from the side, its back rising to fill the palm
            QPainterPath m;
            m.moveTo(2.5, 18.5);
            m.cubicTo(2.5, 13.8, 6.5, 11.2, 11.0, 9.6);
            m.cubicTo(15.5, 8.0, 21.5, 8.6, 21.5, 14.2);
            m.lineTo(21.5, 18.5);
            m.closeSubpath();
            p.drawPath(m);
            p.drawLine(QPointF(8.4, 10.6), QPointF(9.4, 8.6));
            QPainterPath palm;
            palm.moveTo(9.5, 5.4);
            palm.cubicTo(13, 3.6, 18, 3.4, 21.5, 6.2);
            QPen soft = p.pen();
            soft.setColor(QColor(255, 255, 255, 150));
            p.setPen(soft);
            p.drawPath(palm);
        }));
    add("mainpage/light_sensor", tile([](QPainter &p) {
            p.drawRoundedRect(QRectF(5.5, 5.5, 13, 13), 2.5, 2.5);
            for (int i = 0; i < 3; ++i) {
                double o = 9 + i * 3;
                p.drawLine(QPointF(o, 2), QPointF(o, 5.5));
                p.drawLine(QPointF(o, 18.5), QPointF(o, 22));
                p.drawLine(QPointF(2, o), QPointF(5.5, o));
                p.drawLine(QPointF(18.5, o), QPointF(22, o));
            }
            p.drawEllipse(QPointF(12, 12), 3.2, 3.2);
            p.setBrush(Qt::white);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(12, 12), 1.2, 1.2);
        }));
    add("mainpage/aim_key", tile([](QPainter &p) {
            p.drawEllipse(QPointF(12, 12), 7.5, 7.5);
            p.drawLine(QPointF(12, 1.5), QPointF(12, 7.5));
            p.drawLine(QPointF(12, 16.5), QPointF(12, 22.5));
            p.drawLine(QPointF(1.5, 12), QPointF(7.5, 12));
            p.drawLine(QPointF(16.5, 12), QPointF(22.5, 12));
            p.setBrush(Qt::white);
            p.setPen(Qt::NoPen);
            p.drawEllipse(QPointF(12, 12), 1.4, 1.4);
        }));
    add("mainpage/rgb_light", tile([](QPainter &p) {
            p.drawEllipse(QPointF(12, 8.6), 5.6, 5.6);
            p.drawEllipse(QPointF(8.6, 14.6), 5.6, 5.6);
            p.drawEllipse(QPointF(15.4, 14.6), 5.6, 5.6);
        }));
    add("mainpage/fast_report", tile([](QPainter &p) {
            QPainterPath bolt;
            bolt.moveTo(13.8, 1.8);
            bolt.lineTo(5.2, 13.4);
            bolt.lineTo(11.2, 13.4);
            bolt.lineTo(10.2, 22.2);
            bolt.lineTo(18.8, 10.2);
            bolt.lineTo(12.8, 10.2);
            bolt.closeSubpath();
            p.drawPath(bolt);
        }));

    // window buttons (12 x 12)
    auto minImg = [](const QColor &c) {
        QImage im = canvas(12, 12);
        Painter p(&im);
        p.setPen(pen(c, 1.4));
        p.drawLine(QPointF(1.5, 6.5), QPointF(10.5, 6.5));
        return done(im);
    };
    auto crossImg = [](int s, double inset, const QColor &c, double w) {
        QImage im = canvas(s, s);
        Painter p(&im);
        p.setPen(pen(c, w));
        p.drawLine(QPointF(inset, inset), QPointF(s - inset, s - inset));
        p.drawLine(QPointF(s - inset, inset), QPointF(inset, s - inset));
        return done(im);
    };
    add("min", minImg(QColor(255, 255, 255, 153)));
    add("min_hover", minImg(kAccent));
    add("close", crossImg(12, 1.8, QColor(255, 255, 255, 153), 1.4));
    add("close_hover", crossImg(12, 1.8, QColor(255, 92, 92), 1.4));
    add("picker_close", crossImg(10, 1.8, QColor(255, 255, 255, 120), 1.2));
    add("picker_close_hover", crossImg(10, 1.8, QColor(255, 255, 255, 235), 1.2));

    // brand mark
    {
        QImage im = canvas(25, 28);
        Painter p(&im);
        QPolygonF hex = hexagon(QRectF(1.2, 1.0, 22.6, 26));
        QLinearGradient g(0, 0, 25, 28);
        g.setColorAt(0, QColor(0, 227, 155, 60));
        g.setColorAt(1, QColor(0, 227, 155, 10));
        p.setBrush(g);
        p.setPen(pen(kAccent, 1.5));
        p.drawPolygon(hex);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawPath(kGlyph(QRectF(7, 8, 12, 12)));
        add("logo", done(im), false);
    }
    add("SysTrayIcon", appIcon(64), false);

    // radio indicators; the 20 px ones also mark the buttons on the mouse picture
    auto radio = [](int s, bool on) {
        QImage im = canvas(s, s);
        Painter p(&im);
        QPointF c(s / 2.0, s / 2.0);
        double r = s / 2.0 - 1.2;
        if (!on) {
            p.setBrush(QColor(16, 19, 26, s == 20 ? 150 : 0));
            p.setPen(QPen(QColor(255, 255, 255, s == 20 ? 150 : 90), 1.3));
            p.drawEllipse(c, r, r);
            if (s == 20) {
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(255, 255, 255, 130));
                p.drawEllipse(c, 2.2, 2.2);
            }
        } else {
            p.setBrush(QColor(0, 227, 155, s == 20 ? 60 : 30));
            p.setPen(QPen(kAccent, 1.4));
            p.drawEllipse(c, r, r);
            p.setPen(Qt::NoPen);
            p.setBrush(kAccent);
            double d = s == 20 ? 4.2 : 3.4;
            p.drawEllipse(c, d, d);
        }
        return done(im);
    };
    add("radiobutton20x20", radio(20, false));
    add("radiobutton20x20_selected", radio(20, true));
    add("radiobutton16x16", radio(16, false));
    add("radiobutton16x16_selected", radio(16, true));

    // minus and plus signs for the preset row's small round buttons
    {
        QImage im = canvas(8, 8);
        Painter p(&im);
        p.setPen(pen(QColor(255, 255, 255, 200), 1.3));
        p.drawLine(QPointF(1.2, 4), QPointF(6.8, 4));
        add("del", done(im));
    }
    {
        QImage im = canvas(8, 8);
        Painter p(&im);
        p.setPen(pen(QColor(255, 255, 255, 200), 1.3));
        p.drawLine(QPointF(1, 4), QPointF(7, 4));
        p.drawLine(QPointF(4, 1), QPointF(4, 7));
        add("add", done(im));
    }

    // macro list icons
    auto keyArrow = [](bool down) {
        QImage im = canvas(16, 16);
        Painter p(&im);
        QColor c = down ? kAccent : QColor(255, 255, 255, 190);
        p.setPen(pen(c, 1.4));
        p.drawRoundedRect(QRectF(1.5, 1.5, 13, 13), 3, 3);
        QPainterPath a;
        if (down) {
            a.moveTo(8, 4.2);
            a.lineTo(8, 11.4);
            a.moveTo(5.2, 8.8);
            a.lineTo(8, 11.6);
            a.lineTo(10.8, 8.8);
        } else {
            a.moveTo(8, 11.8);
            a.lineTo(8, 4.6);
            a.moveTo(5.2, 7.2);
            a.lineTo(8, 4.4);
            a.lineTo(10.8, 7.2);
        }
        p.drawPath(a);
        return done(im);
    };
    add("keydown", keyArrow(true));
    add("keyup", keyArrow(false));
    {
        QImage im = canvas(16, 16);
        Painter p(&im);
        p.setPen(pen(QColor(255, 255, 255, 150), 1.4));
        p.drawEllipse(QPointF(8, 8.6), 6, 6);
        p.drawLine(QPointF(8, 8.6), QPointF(8, 5.2));
        p.drawLine(QPointF(8, 8.6), QPointF(10.4, 10.2));
        p.drawLine(QPointF(6.4, 1.2), QPointF(9.6, 1.2));
        add("timer", done(im));
    }

    // tick scales under the sliders
    {
        // DPI: the handle is 10 px wide, so its centre runs from 5 to 247
        QImage im = canvas(252, 10);
        Painter p(&im);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i <= 24; ++i) {
            int x = 5 + int(std::lround(i * 242.0 / 24));
            bool major = i % 4 == 0;
            p.fillRect(QRect(x, 1, 1, major ? 6 : 3), QColor(255, 255, 255, major ? 70 : 34));
        }
        add(QString::fromUtf8("刻度"), done(im));
    }
    {
        // speed: eight steps over the 350 px the handle's centre travels
        QImage im = canvas(350, 9);
        Painter p(&im);
        p.setRenderHint(QPainter::Antialiasing, false);
        for (int i = 0; i <= 28; ++i) {
            int x = std::min(349, int(std::lround(i * 349.0 / 28)));
            bool major = i % 4 == 0;
            p.fillRect(QRect(x, 1, 1, major ? 6 : 3), QColor(255, 255, 255, major ? 70 : 30));
        }
        add("light_speed", done(im));
    }

    // lighting effect icons: dim when idle, white on the checked accent button
    const std::pair<const char *, int> effects[5] = {
        {"off", 0}, {"on", 1}, {"breath", 2}, {"run", 3}, {"magic", 6}};
    for (const auto &e : effects) {
        add(e.first, effectIcon(e.second, kDim));
        add(QString(e.first) + "_s", effectIcon(e.second, kWhite));
    }

    // colour picker
    {
        QImage im = canvas(21, 21);
        Painter p(&im);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, 120), 1.2));
        p.drawEllipse(QPointF(10.5, 10.5), 8.2, 8.2);
        p.drawEllipse(QPointF(10.5, 10.5), 4.8, 4.8);
        p.setPen(QPen(Qt::white, 2));
        p.drawEllipse(QPointF(10.5, 10.5), 6.5, 6.5);
        add("color_select", done(im), false);
    }
    add("picker_bg", done(panel(230, 220, true)), false);

    // dialogs and the settings page
    add("update_bg", dialogPanel(false), false);
    add("reset_confirm", dialogPanel(true), false);
    add("update_icon", updateIcon(false), false);
    add("update_finish_icon", updateIcon(true), false);
    {
        QImage im = canvas(6, 6);
        Painter p(&im);
        p.setPen(Qt::NoPen);
        p.setBrush(kAccent);
        p.drawEllipse(QRectF(0.3, 0.3, 5.4, 5.4));
        add("update", done(im), false);
    }
    {
        QImage im = canvas(9, 14);
        Painter p(&im);
        p.setPen(pen(QColor(255, 255, 255, 90), 1.5));
        QPainterPath c;
        c.moveTo(2, 2);
        c.lineTo(7, 7);
        c.lineTo(2, 12);
        p.drawPath(c);
        add("right_arrow", done(im), false);
    }
    add("sys_config", banner(sysBanner), false);
    add("background", background(), false);
    return out;
}

} // namespace art
