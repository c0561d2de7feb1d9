#include "view/mouseview.h"

#include "device/kivomouse.h"
#include "view/pictures.h"
#include "view/recolor.h"

#include <QCoreApplication>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <cstring>

namespace
{

const int PrefetchEvent = QEvent::User + 1;

const MouseView::FrameFolder kFolders[] = {
    {"t_a", 1, 0}, {"s_a", 2, 0}, {"s_t", 2, 1}, {"r_a", 3, 0}, {"r_t", 3, 1}, {"s_r", 2, 3},
};

// Per view: base picture, front-zone mask, rear-zone mask, rear "magic" picture,
// which masks are shown, and the grey of a zone that is switched off.
struct ViewPictures {
    const char *base;
    const char *wheel;
    const char *rear;
    const char *magic;
    bool showWheel;
    bool showRear;
    int grey;
};
const ViewPictures kViews[4] = {
    {":/img/axis", ":/img/axis_wheel", ":/img/axis_rear", ":/img/axis_rear_magic", true, true, 116},
    {":/img/top", ":/img/top_wheel", nullptr, nullptr, true, false, 127},
    {":/img/side", ":/img/side_wheel", ":/img/side_rear", ":/img/side_rear_magic", true, true, 127},
    {":/img/rear", nullptr, ":/img/rear_rear", ":/img/rear_rear_magic", false, true, 127},
};

QImage loadImage(const char *path)
{
    return path ? pictures::image(QString::fromUtf8(path)) : QImage();
}

// The part of img with any pixel that is not 0 (as a pixel reads: a palette
// image through its colour table); empty when there is none.
QRect litRect(const QImage &img)
{
    int left = img.width(), right = -1, top = img.height(), bottom = -1;
    const bool palette = img.format() == QImage::Format_Indexed8;
    const QImage argb = palette ? QImage() : img.convertToFormat(QImage::Format_ARGB32);
    bool lit[256] = {};
    int unlit = -1; // a palette index that reads 0, skipped eight pixels at a time
    if (palette) {
        const QVector<QRgb> table = img.colorTable();
        for (int i = 0; i < 256; ++i) {
            lit[i] = i < table.size() && table[i] != 0;
            // An index past the table reads as 0 too (a pixmap makes it clear).
            if (!lit[i] && unlit < 0) unlit = i;
        }
    }
    quint64 unlitRun;
    std::memset(&unlitRun, unlit < 0 ? 0 : unlit, sizeof unlitRun);
    const int w = img.width();
    for (int y = 0; y < img.height(); ++y) {
        int first = -1, last = -1;
        if (palette) {
            const uchar *line = img.constScanLine(y);
            int x = 0;
            while (x < w) {
                quint64 run;
                if (unlit >= 0 && x + 8 <= w) {
                    std::memcpy(&run, line + x, sizeof run);
                    if (run == unlitRun) {
                        x += 8;
                        continue;
                    }
                }
                if (lit[line[x]]) {
                    if (first < 0) first = x;
                    last = x;
                }
                ++x;
            }
        } else {
            const QRgb *line = reinterpret_cast<const QRgb *>(argb.constScanLine(y));
            for (int x = 0; x < w; ++x)
                if (line[x] != 0) {
                    if (first < 0) first = x;
                    last = x;
                }
        }
        if (first >= 0) {
            left = qMin(left, first);
            right = qMax(right, last);
            top = qMin(top, y);
            bottom = y;
        }
    }
    return right < 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

const MouseView::FrameFolder *MouseView::frame_folder(int viewA, int viewB)
{
    for (const FrameFolder &f : kFolders)
        if ((f.first == viewA && f.second == viewB) || (f.first == viewB && f.second == viewA))
            return &f;
    return nullptr;
}

MouseView::MouseView() : m_timer(new QTimer(this))
{
    m_timer->setInterval(40);
}

void MouseView::build(QWidget *window, const QRect &area)
{
    const auto pictureLabel = [&area](QLabel *l) {
        l->setGeometry(area);
        l->setAlignment(Qt::AlignCenter);
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        return l;
    };
    m_label = static_cast<FrameLabel *>(pictureLabel(new FrameLabel(window)));
    m_label->setBackdrop(pictures::pixmap(QStringLiteral(":/img/background")), area.topLeft());
    m_wheelMask = pictureLabel(new QLabel(window));
    m_rearMask = pictureLabel(new QLabel(window));
    m_wheelMask->hide();
    m_rearMask->hide();
    jumpTo(QStringLiteral(":/img/axis"));
}

void MouseView::start(int no)
{
    animation_no = no;
    m_timer->start();
    postPrefetch();
}

void MouseView::startTowardsTarget()
{
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    start((f && mouse_status == f->second) ? 15 : 0);
}

int MouseView::step()
{
    if (mouse_status == after_status) {
        m_timer->stop();
        showView(mouse_status);
        releaseFrames();
        return mouse_status;
    }
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    if (!f) { // not a view pair we have frames for: jump
        m_timer->stop();
        return -1;
    }
    const bool towardsFirst = after_status == f->first;
    animation_no += towardsFirst ? -1 : 1;
    if (animation_no >= 1 && animation_no <= 14) {
        if (animation_no == 1 || animation_no == 14) hideMasks();
        setFrame(framePath(f, animation_no));
        postPrefetch();
    }
    if (animation_no <= 0 || animation_no >= 15) {
        const int target = after_status;
        showView(target);
        m_timer->stop();
        releaseFrames();
        mouse_status = target;
        return target;
    }
    return -1;
}

// Each step of a transition is a 40 ms gap in which the picture stands still;
// the next step's picture is decoded in it, once this step has been painted
// (the paint's request was posted before, at the same priority, so it is
// handled first). The step itself then only shows what is ready.
void MouseView::postPrefetch()
{
    if (m_prefetchPosted) return;
    m_prefetchPosted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(PrefetchEvent)),
                                Qt::LowEventPriority);
}

// Some 4 MB the picture no longer needs once a view is shown; the next
// transition decodes its first frame in the gap before its first step.
void MouseView::releaseFrames()
{
    for (FrameBuffer &b : m_frames)
        b = FrameBuffer();
    m_shownFrame = -1;
    m_frameScratch = QImage();
}

void MouseView::customEvent(QEvent *event)
{
    if (event->type() != QEvent::Type(PrefetchEvent)) return QObject::customEvent(event);
    m_prefetchPosted = false;
    prefetch();
}

void MouseView::prefetch()
{
    if (!m_timer->isActive()) return;
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    if (mouse_status == after_status || !f) return; // shown at once, without frames
    const int next = animation_no + (after_status == f->first ? -1 : 1);
    if (next >= 1 && next <= 14)
        loadFrame(framePath(f, next));
    else if (!preparedFor(m_preparedView, after_status)) {
        m_preparedView = buildView(after_status);
        // Composed only here, in a gap: in the step itself it would cost what
        // painting the picture as it is costs.
        m_preparedView.composed = m_label->compose(m_preparedView.base.toImage());
    }
}

MouseView::ViewParts MouseView::buildView(int view) const
{
    const ViewPictures &v = kViews[view];
    ViewParts p;
    p.view = view;
    p.wheelColour = zone_colour(front_led_status, v.grey);
    p.rearColour = zone_colour(rear_led_status, v.grey);
    p.magic = rear_led_status[4] == 6;
    p.base = pictures::pixmap(QString::fromUtf8(v.base));
    p.wheel = loadImage(v.wheel);
    recolor_nonzero(p.wheel, p.wheelColour);
    if (p.magic) {
        p.rear = loadImage(v.magic);
    } else {
        p.rear = loadImage(v.rear);
        if (view == 3)
            recolor_white(p.rear, p.rearColour);
        else
            recolor_nonzero(p.rear, p.rearColour);
    }
    const QRect wheelLit = litRect(p.wheel), rearLit = litRect(p.rear);
    p.wheelRect = maskRect(p.wheel, wheelLit);
    p.rearRect = maskRect(p.rear, rearLit);
    if (!wheelLit.isEmpty()) p.wheelPart = QPixmap::fromImage(p.wheel.copy(wheelLit));
    if (!rearLit.isEmpty()) p.rearPart = QPixmap::fromImage(p.rear.copy(rearLit));
    return p;
}

// Whether parts made earlier are the ones view would be made from now.
bool MouseView::preparedFor(const ViewParts &parts, int view) const
{
    if (parts.view != view) return false;
    const ViewPictures &v = kViews[view];
    return parts.wheelColour == zone_colour(front_led_status, v.grey) &&
           parts.rearColour == zone_colour(rear_led_status, v.grey) &&
           parts.magic == (rear_led_status[4] == 6);
}

void MouseView::showView(int view)
{
    if (view < 0 || view > 3) return;
    const ViewPictures &v = kViews[view];
    ViewParts p;
    if (preparedFor(m_preparedView, view))
        std::swap(p, m_preparedView);
    else
        p = buildView(view);
    m_preparedView = ViewParts();
    picture_path = QString::fromUtf8(v.base);
    m_shownFrame = -1;
    m_label->setFrame(p.base, p.composed);
    wheel_image = p.wheel;
    rear_image = p.rear;
    placeMask(m_wheelMask, p.wheelRect, p.wheelPart);
    placeMask(m_rearMask, p.rearRect, p.rearPart);
    m_wheelMask->setVisible(v.showWheel);
    m_rearMask->setVisible(v.showRear);
}

void MouseView::jumpTo(const QString &path)
{
    // A jump to a view (attach, factory reset): a transition cut short leaves
    // nothing behind.
    picture_path = path;
    m_label->setFrame(pictures::pixmap(path));
    releaseFrames();
    m_preparedView = ViewParts();
}

QString MouseView::framePath(const FrameFolder *f, int no)
{
    return QStringLiteral(":/img/%1/%2").arg(QLatin1String(f->name)).arg(no);
}

int MouseView::loadFrame(const QString &path)
{
    for (int i = 0; i < 2; ++i)
        if (m_frames[i].path == path) return i;
    // Never the buffer on screen: the picture keeps its pixels until replaced.
    const int i = m_shownFrame == 0 ? 1 : 0;
    m_frames[i].path.clear();
    if (!pictures::decode_frame(path, &m_frameScratch, &m_frames[i].image)) return -1;
    m_frames[i].composed = m_label->compose(m_frames[i].image);
    m_frames[i].path = path;
    return i;
}

void MouseView::setFrame(const QString &path)
{
    // Frames stay out of the pixmap cache and are decoded into the memory of
    // the frame before last: in fresh memory, which the system hands over page
    // by page, a first transition's frames took several times their decoding,
    // and the cache kept some 10 MB of them.
    picture_path = path;
    const int i = loadFrame(path);
    m_shownFrame = i;
    if (i < 0)
        m_label->setFrame(QPixmap());
    else
        m_label->setFrame(QPixmap::fromImage(m_frames[i].image), m_frames[i].composed);
}

// Where the lit part of a zone's mask goes: where the whole mask, centred over
// the mouse picture, would have put it.
QRect MouseView::maskRect(const QImage &img, const QRect &lit) const
{
    if (lit.isEmpty()) return m_label->geometry();
    const QRect area = m_label->geometry();
    const QPoint origin(area.x() + (area.width() - img.width()) / 2,
                        area.y() + (area.height() - img.height()) / 2);
    return lit.translated(origin);
}

void MouseView::placeMask(QLabel *mask, const QRect &r, const QPixmap &part)
{
    mask->setGeometry(r);
    if (part.isNull())
        mask->clear();
    else
        mask->setPixmap(part);
}

void MouseView::setMask(QLabel *mask, const QImage &img)
{
    // A zone lights a few thousand of the picture's 234 000 pixels: the label
    // holds and paints just the part with any.
    const QRect lit = litRect(img);
    placeMask(mask, maskRect(img, lit),
              lit.isEmpty() ? QPixmap() : QPixmap::fromImage(img.copy(lit)));
}

void MouseView::hideMasks()
{
    m_wheelMask->hide();
    m_rearMask->hide();
}

void MouseView::tintFront(QRgb colour, bool show)
{
    recolor_nonzero(wheel_image, colour);
    setMask(m_wheelMask, wheel_image);
    if (show) m_wheelMask->show();
}

void MouseView::tintRear(QRgb colour, bool show)
{
    recolor_nonzero(rear_image, colour);
    setMask(m_rearMask, rear_image);
    if (show) m_rearMask->show();
}

void MouseView::showRearMagic()
{
    // The magic picture covers the same pixels as the zone's mask, so a later
    // tint of it keeps the shape.
    rear_image = pictures::image(QStringLiteral(":/img/rear_rear_magic"));
    setMask(m_rearMask, rear_image);
    m_rearMask->show();
}
