#include "window/z9ktool.h"

#include "pages/buttons/button_widget.h"
#include "pages/settings/config_widget.h"
#include "pages/lighting/colorpicker.h"
#include "pages/settings/confirm_dialog.h"
#include "platform/devbroadcast.h"
#include "platform/devnotify.h"
#include "window/disconnect_widget.h"
#include "pages/pointer/dpi_widget.h"
#include "device/fwimage.h"
#include "platform/keycapture.h"
#include "kivoctl/kivoctl_apply.h"
#include "device/kivomouse.h"
#include "pages/lighting/led_widget.h"
#include "window/mainpage.h"
#include "window/navbtn.h"
#include "view/pictures.h"
#include "pages/pointer/pointer_widget.h"
#include "view/recolor.h"
#include "pages/pointer/report_widget.h"
#include "window/system_tray.h"
#include "update/update.h"
#include "pages/settings/update_dialog.h"
#include "update/updaterules.h"
#include "platform/autorun.h"
#include "platform/mouseaccess.h"
#include "platform/windrag.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMouseEvent>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStackedWidget>
#include <QThread>
#include <QTimer>

#include <cstring>

namespace
{

const int PrefetchEvent = QEvent::User + 1;
const int BuildPageEvent = QEvent::User + 2;

const z9ktool::FrameFolder kFolders[] = {
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
const int kUpdateGrey = 127;

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

template <class Label = QLabel> Label *pictureLabel(QWidget *parent, const QRect &r)
{
    auto *l = new Label(parent);
    l->setGeometry(r);
    l->setAlignment(Qt::AlignCenter);
    l->setAttribute(Qt::WA_TransparentForMouseEvents);
    return l;
}

QPushButton *imageButton(QWidget *parent, const QRect &r, const QString &img, const QString &hover,
                         const QString &tip)
{
    auto *b = new QPushButton(parent);
    b->setGeometry(r);
    b->setFlat(true);
    b->setToolTip(tip);
    b->setCursor(Qt::PointingHandCursor);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;background-color:transparent;"
                                    "image:url(%1);}QPushButton:hover{image:url(%2);}")
                         .arg(img, hover));
    return b;
}

} // namespace

const z9ktool::FrameFolder *z9ktool::frame_folder(int viewA, int viewB)
{
    for (const FrameFolder &f : kFolders)
        if ((f.first == viewA && f.second == viewB) || (f.first == viewB && f.second == viewA))
            return &f;
    return nullptr;
}

z9ktool::z9ktool(QWidget *parent) : QWidget(parent)
{
    // 1. Geometry and flags.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(screen.width() / 2 - 550, screen.height() / 2 - 375, 1100, 750);
    setFixedSize(1100, 750);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setWindowTitle(QStringLiteral("Kivo游戏鼠标"));
    setWindowIcon(pictures::icon(QStringLiteral(":/img/SysTrayIcon")));

    // 2. Tray icon.
    system_tray = new SystemTray(this);
    system_tray->show();

    // 3. Background, logo, titles.
    QPalette pal = palette();
    pal.setBrush(QPalette::Window, pictures::pixmap(QStringLiteral(":/img/background")));
    setPalette(pal);
    setAutoFillBackground(true);
    auto *logo = new QLabel(this);
    logo->setGeometry(36, 30, 25, 28);
    logo->setPixmap(pictures::pixmap(QStringLiteral(":/img/logo")));
    auto *title = new QLabel(QStringLiteral("Kivo游戏鼠标"), this);
    title->setGeometry(70, 32, 72, 12);
    title->setStyleSheet(QStringLiteral("font-size:11px;color:rgba(255,255,255,0.6)"));
    auto *title2 = new QLabel(QStringLiteral("KIVO GAMING MOUSE"), this);
    title2->setGeometry(70, 48, 100, 8);
    title2->setStyleSheet(QStringLiteral("font-size:7px;color:rgba(255,255,255,0.6)"));

    // 4. Navigation.
    nav_btns = new QButtonGroup(this);
    const char *const labels[5] = {"主页", "鼠标键设置", "灯光设置", "指针速度", "设置"};
    for (int id = 1; id <= 5; ++id) {
        auto *b = new Navbtn(QString::fromUtf8(labels[id - 1]), this);
        b->move(36, 110 + 56 * (id - 1));
        nav_btns->addButton(b, id);
    }
    nav_btns->button(1)->setChecked(true);

    // 5. The mouse picture, with the two zone masks above it.
    const QRect pictureRect(180, 20, 920, 390);
    mouselabel = pictureLabel<FrameLabel>(this, pictureRect);
    mouselabel->setBackdrop(pictures::pixmap(QStringLiteral(":/img/background")),
                            pictureRect.topLeft());
    wheel_mask = pictureLabel(this, pictureRect);
    rear_mask = pictureLabel(this, pictureRect);
    wheel_mask->hide();
    rear_mask->hide();
    setPicture(QStringLiteral(":/img/axis"));
    mouse_status = 0;

    // 6. Pages. The buttons, lighting and pointer pages hold most of the
    // window's widgets and none shows at start: each stands in the stack as
    // an empty widget until it is made (see DeferredPage).
    disconnectpage = new disconnect_Widget;
    mainpage = new Mainpage;
    configpage = new config_Widget;
    side_stack = new QStackedWidget(this);
    side_stack->setGeometry(180, 0, 920, 750);
    for (QWidget *page :
         {static_cast<QWidget *>(disconnectpage), static_cast<QWidget *>(mainpage), new QWidget,
          new QWidget, new QWidget, static_cast<QWidget *>(configpage)})
        side_stack->addWidget(page);
    connect(nav_btns, &QButtonGroup::idToggled, side_stack, [this](int id, bool checked) {
        if (!checked) return;
        if (id == 2) btnpage.get();
        if (id == 3) ledpage.get();
        if (id == 4) pointerpage.get();
        side_stack->setCurrentIndex(id);
    });
    connect(nav_btns, &QButtonGroup::idToggled, this, &z9ktool::page_changed);

    // 7. Battery, reset, minimise and close.
    battery_label = new QLabel(QStringLiteral("鼠标电量 100%"), this);
    battery_label->setGeometry(36, 656, 108, 30);
    battery_label->setAlignment(Qt::AlignCenter);
    battery_label->setStyleSheet(QStringLiteral(
        "background-color:transparent;margin:0px;font:12px;color:rgba(255,255,255,0.3);"));
    battery_label->hide();
    battery_timer = new QTimer(this);
    battery_timer->start(60000);
    connect(battery_timer, &QTimer::timeout, this, &z9ktool::update_battery_info);
    reset_btn = new QPushButton(QStringLiteral("恢复出厂设置"), this);
    reset_btn->setGeometry(36, 686, 108, 30);
    reset_btn->setStyleSheet(qss_click_btn);
    reset_btn->setCursor(Qt::PointingHandCursor);
    min_btn = imageButton(this, QRect(1026, 30, 12, 12), QStringLiteral(":/img/min.png"),
                          QStringLiteral(":/img/min_hover.png"), QStringLiteral("最小化"));
    close_btn = imageButton(this, QRect(1058, 30, 12, 12), QStringLiteral(":/img/close.png"),
                            QStringLiteral(":/img/close_hover.png"), QStringLiteral("关闭"));
    connect(min_btn, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(close_btn, &QPushButton::clicked, this, &QWidget::hide);

    // 8. Programs downloaded earlier, then the update check. The check starts
    // from the event loop, once start-up has read the mouse's firmware version:
    // a nearby server answers faster than that first read.
    scan_downloaded_programs();
    QTimer::singleShot(0, this, &z9ktool::startFirstCheck);

    // 9. Shield over the navigation while the colour picker is open; lighting links.
    mask_side = new QPushButton(this);
    mask_side->setGeometry(0, 0, 180, 750);
    mask_side->setFlat(true);
    mask_side->setStyleSheet(QStringLiteral("border:none;background-color:transparent"));
    mask_side->hide();
    connect(mask_side, &QPushButton::clicked, mask_side, &QWidget::hide);
    animation_timer = new QTimer(this);
    animation_timer->setInterval(40);
    connect(animation_timer, &QTimer::timeout, this, &z9ktool::onTimeout);

    // 10. Device notifications.
    device_notifier = new DeviceNotifier(this);
    connect(device_notifier, &DeviceNotifier::arrival, this, &z9ktool::device_arrival);
    connect(device_notifier, &DeviceNotifier::removal, this, &z9ktool::device_removal);
    unsigned long error = 0;
    if (!device_notifier->start(this, &error)) qDebug() << "注册失败:" << error;

    // 11. Presets, dialogs, remaining connections.
    reset_confirm = new Confirm_Dialog(this);
    reset_confirm->move(0, 0);
    reset_confirm->hide();
    update_confirm = new Update_Dialog(this);
    update_confirm->move(0, 0);
    update_confirm->hide();
    fw_packets_init();
    connect(update_confirm, &Update_Dialog::update_clicked, this, &z9ktool::RunFWUpdate);
    connect(reset_btn, &QPushButton::clicked, reset_confirm, &QWidget::show);
    connect(reset_confirm, &Confirm_Dialog::confirm_clicked, this, &z9ktool::reset_to_factory);
    connect(system_tray, &SystemTray::sys_openClicked, this, &z9ktool::showWidget);
    connect(system_tray, &QSystemTrayIcon::activated, this, &z9ktool::iconIsActived);
    connect(system_tray, &SystemTray::sys_setAutorun, this, &z9ktool::setAutorun);

    // 12. How each deferred page joins the window when it is made.
    btnpage.onBuilt([this](button_Widget *page) {
        installPage(2, page);
        connect(page, &button_Widget::mouseStatusChange, this, &z9ktool::anim_start);
        if (m_pagesFilled && device_attached) fill_button_page(&m_buttonReading);
    });
    ledpage.onBuilt([this](led_Widget *page) {
        installPage(3, page);
        connect(mask_side, &QPushButton::clicked, page->picker, &QWidget::hide);
        connect(mask_side, &QPushButton::clicked, page->mask_btn, &QWidget::hide);
        connect(page->picker, &ColorPicker::picker_close, mask_side, &QWidget::hide);
        connect(page->mask_btn, &QPushButton::clicked, mask_side, &QWidget::hide);
        connect(page, &led_Widget::color_changed, this, &z9ktool::updateImageColor);
        connect(page, &led_Widget::front_mode_changed, this, &z9ktool::updateImageFrontLedMode);
        connect(page, &led_Widget::rear_mode_changed, this, &z9ktool::updateImageRearLedMode);
        connect(page, &led_Widget::mask_show, mask_side, &QWidget::show);
        connect(page, &led_Widget::ledZoneChanged, this, &z9ktool::anim_start);
        page->init_user_color();
        if (m_pagesFilled && device_attached) fill_led_page();
    });
    pointerpage.onBuilt([this](pointer_Widget *page) {
        installPage(4, page);
        if (m_pagesFilled && device_attached) fill_pointer_page();
    });
    QTimer::singleShot(0, this, &z9ktool::startPageBuilds);
}

// In place of the empty widget standing for it; the stack keeps showing what
// it showed, or the page when the empty widget was on show.
void z9ktool::installPage(int index, QWidget *page)
{
    QWidget *standIn = side_stack->widget(index);
    const bool shown = side_stack->currentIndex() == index;
    side_stack->insertWidget(index, page);
    if (shown) side_stack->setCurrentIndex(index);
    side_stack->removeWidget(standIn);
    delete standIn;
}

void z9ktool::startPageBuilds()
{
    // A window being shown is painted first (its paint posts the builds);
    // should no paint come (minimised at once), they start anyway.
    if (isVisible() && !m_painted) {
        QTimer::singleShot(2000, this, &z9ktool::postPageBuild);
        return;
    }
    postPageBuild();
}

void z9ktool::postPageBuild()
{
    if (m_buildPosted) return;
    if (btnpage.isBuilt() && ledpage.isBuilt() && pointerpage.isBuilt()) return;
    m_buildPosted = true;
    // Behind what is queued, so a click waits for one page at most.
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(BuildPageEvent)),
                                Qt::LowEventPriority);
}

void z9ktool::buildNextPage()
{
    QWidget *page;
    if (!btnpage.isBuilt())
        page = btnpage;
    else if (!ledpage.isBuilt())
        page = ledpage;
    else
        page = pointerpage;
    // Styled now too: a page's first show then costs what a later one does.
    page->ensurePolished();
    postPageBuild();
}

z9ktool::~z9ktool()
{
    if (m_updateThread) {
        // A download cut off here leaves its partial file for the next start.
        m_updateThread->quit();
        m_updateThread->wait();
        delete m_updateThread; // its own deferred deletion needs an event loop
    }
}

// ---- window behaviour ---------------------------------------------------------

void z9ktool::mousePressEvent(QMouseEvent *event)
{
    start_window_drag(this);
    event->ignore();
}

bool z9ktool::nativeEvent(const QByteArray &eventType, void *message, long *result)
{
#ifdef Q_OS_WIN
    if (device_notifier) device_notifier->handleNativeMessage(message);
#endif
    return QWidget::nativeEvent(eventType, message, result);
}

void z9ktool::showWidget()
{
    showNormal();
    raise();
    activateWindow();
}

void z9ktool::iconIsActived(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick) showWidget();
}

void z9ktool::setAutorun(bool Autorun)
{
    autorun::set_enabled(Autorun);
}

Navbtn *z9ktool::navButton(int id) const
{
    return static_cast<Navbtn *>(nav_btns->button(id));
}

void z9ktool::setNavigationEnabled(bool enabled)
{
    for (int id = 1; id <= 5; ++id)
        navButton(id)->setEnabled(enabled);
}

// ---- navigation and the view animation --------------------------------------

void z9ktool::page_changed(int index, bool checked)
{
    if (!checked) return;
    switch (index) {
    case 1:
    case 4:
        after_status = 0;
        animation_no = 0;
        break;
    case 2: {
        const int target = btnpage->viewBtn->checkedId();
        // Set even when it is the current view: an animation that is still
        // running then ends on this view at its next step.
        after_status = target;
        if (target == mouse_status) return;
        btnpage->hideAllMarkers();
        if (target == 1)
            animation_no = mouse_status == 0 ? 15 : 0;
        else
            animation_no = 15;
        break;
    }
    case 3:
        if (ledpage->ledzone_switch->checkedId() == 0) {
            after_status = 3;
            animation_no = mouse_status == 2 ? 0 : 15;
        } else {
            after_status = 0;
            animation_no = 0;
        }
        break;
    default:
        return; // settings: the picture keeps its view
    }
    animation_timer->start();
    postPrefetch();
}

void z9ktool::anim_start(int, bool)
{
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    animation_no = (f && mouse_status == f->second) ? 15 : 0;
    animation_timer->start();
    postPrefetch();
}

void z9ktool::onTimeout()
{
    if (mouse_status == after_status) {
        animation_timer->stop();
        showView(mouse_status);
        releaseFrames();
        if (mouse_status == 1 || mouse_status == 2) btnpage->showButtons();
        return;
    }
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    if (!f) { // not a view pair we have frames for: jump
        animation_timer->stop();
        return;
    }
    const bool towardsFirst = after_status == f->first;
    animation_no += towardsFirst ? -1 : 1;
    if (animation_no >= 1 && animation_no <= 14) {
        if (animation_no == 1 || animation_no == 14) maskHide();
        setFrame(framePath(f, animation_no));
        postPrefetch();
    }
    if (animation_no <= 0 || animation_no >= 15) {
        const int target = after_status;
        showView(target);
        animation_timer->stop();
        releaseFrames();
        mouse_status = target;
        if (target == 1 || target == 2) btnpage->showButtons();
    }
}

// Each step of a transition is a 40 ms gap in which the picture stands still;
// the next step's picture is decoded in it, once this step has been painted
// (the paint's request was posted before, at the same priority, so it is
// handled first). The step itself then only shows what is ready.
void z9ktool::postPrefetch()
{
    if (m_prefetchPosted) return;
    m_prefetchPosted = true;
    QCoreApplication::postEvent(this, new QEvent(QEvent::Type(PrefetchEvent)),
                                Qt::LowEventPriority);
}

// Some 4 MB the picture no longer needs once a view is shown; the next
// transition decodes its first frame in the gap before its first step.
void z9ktool::releaseFrames()
{
    for (FrameBuffer &b : m_frames)
        b = FrameBuffer();
    m_shownFrame = -1;
    m_frameScratch = QImage();
}

void z9ktool::customEvent(QEvent *event)
{
    if (event->type() == QEvent::Type(BuildPageEvent)) {
        m_buildPosted = false;
        buildNextPage();
        return;
    }
    if (event->type() != QEvent::Type(PrefetchEvent)) return QWidget::customEvent(event);
    m_prefetchPosted = false;
    prefetch();
}

void z9ktool::prefetch()
{
    if (!animation_timer->isActive()) return;
    const FrameFolder *f = frame_folder(mouse_status, after_status);
    if (mouse_status == after_status || !f) return; // shown at once, without frames
    const int next = animation_no + (after_status == f->first ? -1 : 1);
    if (next >= 1 && next <= 14)
        loadFrame(framePath(f, next));
    else if (!preparedFor(m_preparedView, after_status)) {
        m_preparedView = buildView(after_status);
        // Composed only here, in a gap: in the step itself it would cost what
        // painting the picture as it is costs.
        m_preparedView.composed = mouselabel->compose(m_preparedView.base.toImage());
    }
}

z9ktool::ViewParts z9ktool::buildView(int view) const
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
bool z9ktool::preparedFor(const ViewParts &parts, int view) const
{
    if (parts.view != view) return false;
    const ViewPictures &v = kViews[view];
    return parts.wheelColour == zone_colour(front_led_status, v.grey) &&
           parts.rearColour == zone_colour(rear_led_status, v.grey) &&
           parts.magic == (rear_led_status[4] == 6);
}

void z9ktool::showView(int view)
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
    mouselabel->setFrame(p.base, p.composed);
    wheel_image = p.wheel;
    rear_image = p.rear;
    placeMask(wheel_mask, p.wheelRect, p.wheelPart);
    placeMask(rear_mask, p.rearRect, p.rearPart);
    wheel_mask->setVisible(v.showWheel);
    rear_mask->setVisible(v.showRear);
}

void z9ktool::setPicture(const QString &path)
{
    // A jump to a view (attach, factory reset): a transition cut short leaves
    // nothing behind.
    picture_path = path;
    mouselabel->setFrame(pictures::pixmap(path));
    releaseFrames();
    m_preparedView = ViewParts();
}

QString z9ktool::framePath(const FrameFolder *f, int no)
{
    return QStringLiteral(":/img/%1/%2").arg(QLatin1String(f->name)).arg(no);
}

int z9ktool::loadFrame(const QString &path)
{
    for (int i = 0; i < 2; ++i)
        if (m_frames[i].path == path) return i;
    // Never the buffer on screen: the picture keeps its pixels until replaced.
    const int i = m_shownFrame == 0 ? 1 : 0;
    m_frames[i].path.clear();
    if (!pictures::decode_frame(path, &m_frameScratch, &m_frames[i].image)) return -1;
    m_frames[i].composed = mouselabel->compose(m_frames[i].image);
    m_frames[i].path = path;
    return i;
}

void z9ktool::setFrame(const QString &path)
{
    // Frames stay out of the pixmap cache and are decoded into the memory of
    // the frame before last: in fresh memory, which the system hands over page
    // by page, a first transition's frames took several times their decoding,
    // and the cache kept some 10 MB of them.
    picture_path = path;
    const int i = loadFrame(path);
    m_shownFrame = i;
    if (i < 0)
        mouselabel->setFrame(QPixmap());
    else
        mouselabel->setFrame(QPixmap::fromImage(m_frames[i].image), m_frames[i].composed);
}

// Where the lit part of a zone's mask goes: where the whole mask, centred over
// the mouse picture, would have put it.
QRect z9ktool::maskRect(const QImage &img, const QRect &lit) const
{
    if (lit.isEmpty()) return mouselabel->geometry();
    const QRect area = mouselabel->geometry();
    const QPoint origin(area.x() + (area.width() - img.width()) / 2,
                        area.y() + (area.height() - img.height()) / 2);
    return lit.translated(origin);
}

void z9ktool::placeMask(QLabel *mask, const QRect &r, const QPixmap &part)
{
    mask->setGeometry(r);
    if (part.isNull())
        mask->clear();
    else
        mask->setPixmap(part);
}

void z9ktool::setMask(QLabel *mask, const QImage &img)
{
    // A zone lights a few thousand of the picture's 234 000 pixels: the label
    // holds and paints just the part with any.
    const QRect lit = litRect(img);
    placeMask(mask, maskRect(img, lit),
              lit.isEmpty() ? QPixmap() : QPixmap::fromImage(img.copy(lit)));
}

void z9ktool::showAxis()
{
    showView(0);
}
void z9ktool::showTop()
{
    showView(1);
}
void z9ktool::showSide()
{
    showView(2);
}
void z9ktool::showRear()
{
    showView(3);
}

void z9ktool::maskHide()
{
    wheel_mask->hide();
    rear_mask->hide();
}

// The three updates below tint the view on show. While the picture is still
// moving they leave it alone: the records already hold the change, and the
// animation's last step draws the new view from them.

void z9ktool::updateImageColor()
{
    if (animation_timer->isActive()) return;
    if (ledpage->ledzone_switch->checkedId() == 1) {
        recolor_nonzero(wheel_image,
                        qRgb(front_led_status[8], front_led_status[9], front_led_status[10]));
        setMask(wheel_mask, wheel_image);
    } else {
        recolor_nonzero(rear_image,
                        qRgb(rear_led_status[8], rear_led_status[9], rear_led_status[10]));
        setMask(rear_mask, rear_image);
    }
}

void z9ktool::updateImageFrontLedMode()
{
    if (animation_timer->isActive()) return;
    recolor_nonzero(wheel_image, zone_colour(front_led_status, kUpdateGrey));
    setMask(wheel_mask, wheel_image);
    wheel_mask->show();
}

void z9ktool::updateImageRearLedMode()
{
    if (animation_timer->isActive()) return;
    // The rear tab always shows the rear view. The magic picture covers the
    // same pixels as the zone's mask, so a later tint of it keeps the shape.
    if (rear_led_status[4] == 6)
        rear_image = pictures::image(QStringLiteral(":/img/rear_rear_magic"));
    else
        recolor_nonzero(rear_image, zone_colour(rear_led_status, kUpdateGrey));
    setMask(rear_mask, rear_image);
    rear_mask->show();
}

// ---- device presence and the status refresh -----------------------------------

void z9ktool::update_mouse_status()
{
    // One frame for all four reads; byte 1 keeps the 1 of the front-zone read.
    unsigned char frame[31] = {0};
    frame[0] = 0xA0;
    frame[1] = 0;
    control_read(frame, rear_led_status);
    frame[1] = 1;
    control_read(frame, front_led_status);
    frame[0] = 0xC2;
    control_read(frame, dpi_status);
    frame[0] = 0xC4;
    control_read(frame, report_status);
}

void z9ktool::update_ui()
{
    // Pages not made yet are filled when they are; the buttons page's
    // read is made now all the same, in its place among the refresh's reads.
    m_pagesFilled = true;
    if (btnpage.isBuilt())
        fill_button_page();
    else
        m_buttonReading = button_Widget::fetch_button_function(2);
    if (ledpage.isBuilt()) fill_led_page();
    if (pointerpage.isBuilt()) fill_pointer_page();

    update_fw_version();
    update_battery_info();
    showAxis();
    battery_label->show();
    reset_btn->setEnabled(true);
}

void z9ktool::fill_button_page(const button_Widget::ButtonReading *read)
{
    // Top view, side marker 3, then button 2: read now, or shown as read.
    {
        QSignalBlocker b1(btnpage->viewBtn), b2(btnpage->m_side_button), b3(btnpage->m_top_button);
        btnpage->viewBtn->button(1)->setChecked(true);
        btnpage->m_side_button->button(3)->setChecked(true);
        if (read) btnpage->m_top_button->button(2)->setChecked(true);
    }
    if (read)
        btnpage->show_button_function(*read);
    else if (btnpage->m_top_button->button(2)->isChecked())
        btnpage->read_button_function(2, true);
    else
        btnpage->m_top_button->button(2)->setChecked(true);
}

void z9ktool::fill_led_page()
{
    QSignalBlocker b1(ledpage->ledzone_switch), b2(ledpage->front_mode_btn),
        b3(ledpage->rear_mode_btn), b4(ledpage->speed_level), b5(ledpage->color_btn_g);
    ledpage->ledzone_switch->button(1)->setChecked(true);
    front_selected_color = 0;
    rear_selected_color = 0;
    ledpage->find_color(0);
    ledpage->find_color(1);
    if (front_selected_color != 0 && ledpage->color_btn_g->button(front_selected_color)) {
        ledpage->color_btn_g->button(front_selected_color)->setChecked(true);
    } else if (QAbstractButton *checked = ledpage->color_btn_g->checkedButton()) {
        ledpage->color_btn_g->setExclusive(false);
        checked->setChecked(false);
        ledpage->color_btn_g->setExclusive(true);
    }
    ledpage->led_mode->setCurrentIndex(1);
    switch (front_led_status[4]) {
    case 0:
        ledpage->front_mode_btn->button(0)->setChecked(true);
        ledpage->widgets_disable();
        break;
    case 1:
        ledpage->front_mode_btn->button(1)->setChecked(true);
        ledpage->widgets_enable();
        ledpage->speed_level->setEnabled(false);
        break;
    case 2:
        ledpage->front_mode_btn->button(2)->setChecked(true);
        ledpage->widgets_enable();
        break;
    default:
        break;
    }
    const int rearEffect = rear_led_status[4];
    if (rearEffect <= 3 || rearEffect == 6)
        ledpage->rear_mode_btn->button(rearEffect)->setChecked(true);
    if (front_led_status[5] >= 1 && front_led_status[5] <= 8)
        ledpage->speed_level->setValue(front_led_status[5]);
}

void z9ktool::fill_pointer_page()
{
    pointerpage->pointer_nav->button(0)->setChecked(true);
    pointerpage->report_area->fill(report_status[3]);
    pointerpage->dpi_area->fill(dpi_status);
}

void z9ktool::update_battery_info()
{
    if (!device_attached) return;
    unsigned char frame[31] = {0x90};
    unsigned char reply[32] = {0};
    const bool read = control_read(frame, reply);
    battery_label->setText(QStringLiteral("鼠标电量 ") + QString::number(reply[3]) + "%");
    if (read) system_tray->battery_level(reply[3]); // the zeros of a failed read are no level
}

void z9ktool::update_fw_version()
{
    qDebug() << "get fw version";
    m_OpenConfigDevice(USB_VID, USB_PID);
    config_read(1, get_version, fw_version);
    // The channel stays open: the macro download and the flashing use it.
    configpage->firmware_version->setText(
        QStringLiteral("V%1.%2.%3").arg(fw_version[3]).arg(fw_version[4]).arg(fw_version[5]));
}

void z9ktool::reset_to_factory()
{
    unsigned char frame[31] = {0xEE};
    m_WriteControl(31, frame);
    configpage->fw_update_icon->hide();
    side_stack->setCurrentIndex(1);
    nav_btns->button(1)->setChecked(true);
    setPicture(QStringLiteral(":/img/axis"));
    mouse_status = 0;
    startUpdateThread();
    update_mouse_status();
    update_ui();
}

// ---- online update ----------------------------------------------------------------

namespace
{
const int kAppVersion = APP_VERSION_MAJOR * 10000 + APP_VERSION_MINOR * 100 + APP_VERSION_REVISION;
}

void z9ktool::startFirstCheck()
{
    // Setting up the network (its plugins, the system bus) costs more than
    // painting the window: a window being shown is painted first. Should no
    // paint come (a window minimised at once), the check starts anyway.
    if (isVisible() && !m_painted) {
        m_checkAfterPaint = true;
        QTimer::singleShot(2000, this, [this] {
            if (m_checkAfterPaint) startUpdateThread();
        });
        return;
    }
    startUpdateThread();
}

void z9ktool::paintEvent(QPaintEvent *event)
{
    QWidget::paintEvent(event);
    if (!m_painted) postPageBuild();
    m_painted = true;
    if (m_checkAfterPaint) {
        m_checkAfterPaint = false;
        // From the event loop, once this paint has gone to the screen.
        QTimer::singleShot(0, this, &z9ktool::startUpdateThread);
    }
}

void z9ktool::startUpdateThread()
{
    m_checkAfterPaint = false; // any check is the first one too
    if (m_updateThread && m_updateThread->isRunning()) {
        // Two checks at once would append to the same partial files. The
        // running one is stopped (what it has written stays and is resumed)
        // and the new one starts when its thread has ended.
        if (!m_recheck && m_update)
            QMetaObject::invokeMethod(m_update, &Update::stop, Qt::QueuedConnection);
        m_recheck = true;
        return;
    }
    auto *thread = new QThread;
    auto *worker = new Update;
    m_updateThread = thread;
    m_update = worker;
    worker->moveToThread(thread);
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    connect(thread, &QThread::finished, worker, &QObject::deleteLater);
    connect(worker, &Update::signalGetUpdateFinished, this, &z9ktool::UpdateFound);
    connect(worker, &Update::signalGetFWUpdateFinished, this, &z9ktool::FWUpdateFound);
    connect(thread, &QThread::finished, this, [this] {
        if (!m_recheck || (m_updateThread && m_updateThread->isRunning())) return;
        m_recheck = false;
        if (m_updateThread) m_updateThread->wait();
        startUpdateThread();
    });
    thread->start(QThread::InheritPriority);
    // Queued, so that the network objects are used only on the worker's thread.
    QMetaObject::invokeMethod(worker, &Update::checkUpdate, Qt::QueuedConnection);
}

void z9ktool::scan_downloaded_programs()
{
    const QDir here = QDir::current();
    const QString running = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    const QStringList names =
        here.entryList(QStringList(QStringLiteral("KIVOMouse-PC") + QStringLiteral("*.exe")),
                       QDir::Files | QDir::Readable, QDir::Name);
    for (const QString &name : names) {
        int value = 0;
        if (!updaterules::program_version(name, &value)) continue;
        if (value <= kAppVersion) {
            const QString path = here.filePath(name);
            // Linux lets a running program's file be deleted.
            if (QFileInfo(path).canonicalFilePath() == running) continue;
            qDebug() << name;
            QFile::remove(path);
        } else {
            UpdateFound(name);
        }
    }
}

void z9ktool::UpdateFound(const QString &filename)
{
    qDebug() << "APP UpdateFound" + filename;
    if (!QFileInfo(QDir::current().filePath(filename)).isFile()) return;
    configpage->soft_update_icon->show();
    configpage->version->setText(QStringLiteral("发现新版本  "));
    updatefile = filename;
    // Unique: a second report must not start the program twice per click.
    connect(configpage->version, &QPushButton::clicked, this, &z9ktool::RunUpdate,
            Qt::UniqueConnection);
}

void z9ktool::FWUpdateFound(const QString &filename)
{
    qDebug() << "FW UpdateFound" + filename;
    if (!QFileInfo(QDir::current().filePath(filename)).isFile()) return;
    // The reporting worker is alive until this has run (its thread's quit
    // is queued behind its signals); a later check may have replaced m_update.
    const Update *from = qobject_cast<Update *>(sender());
    if (!from) from = m_update;
    const QString remote = from ? from->fw_version_str : QString();
    configpage->fw_update_icon->show();
    configpage->firmware_version->setText(QStringLiteral("发现新版本  "));
    fwfile = filename;
    fw_version_str = remote;
    update_confirm->text_1->setText(QStringLiteral("V") + remote);
    connect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
            &Update_Dialog::show_dialog, Qt::UniqueConnection);
}

void z9ktool::RunUpdate()
{
    qDebug() << "RunUpdate()_" + updatefile;
    const QString path = QDir::current().filePath(updatefile);
#ifndef Q_OS_WIN
    // Unpacking may not carry the execute bit over.
    const QFile::Permissions perms = QFile::permissions(path);
    if (!(perms & QFileDevice::ExeUser))
        QFile::setPermissions(path, perms | QFileDevice::ExeOwner | QFileDevice::ExeUser);
#endif
    if (!QProcess::startDetached(path, QStringList())) {
        // Quitting now would leave the user with no program at all.
        qDebug() << "__________"
                 << "cannot start" << path;
        return;
    }
    QCoreApplication::quit();
}

bool z9ktool::open_mouse()
{
    openresult = m_OpenDevice(USB_VID, USB_PID);
    if (!openresult) {
        // A mouse that is there but locked away needs the udev rule, not a replug.
        if (mouseaccess::present_but_locked())
            disconnectpage->show_access_hint(mouseaccess::rule_file());
        else
            disconnectpage->show_plug_instruction();
        return false;
    }
    TcharToChar(openresult, dev_path, sizeof dev_path);
    return true;
}

void z9ktool::enter_attached_state()
{
    device_attached = 1;
    side_stack->setCurrentIndex(1);
    nav_btns->button(1)->setChecked(true);
    setNavigationEnabled(true);
    animation_timer->stop();
    setPicture(QStringLiteral(":/img/axis"));
    mouse_status = 0;
    after_status = 0;
    update_mouse_status();
    update_ui();
    startUpdateThread();
}

void z9ktool::enter_detached_state()
{
    side_stack->setCurrentIndex(0);
    setNavigationEnabled(false);
    battery_label->hide();
    reset_btn->setEnabled(false);
}

void z9ktool::hideForRemoval()
{
    // A key editor capturing for a mouse that has gone must not keep the keyboard.
    KeyCapture::stopAll();
    if (ledpage.isBuilt()) {
        ledpage->picker->hide();
        ledpage->mask_btn->hide();
    }
    mask_side->hide();
    reset_confirm->hide();
    update_confirm->hide();
    configpage->fw_update_icon->hide();
    disconnect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
               &Update_Dialog::show_dialog);
}

void z9ktool::device_arrival(const QString &)
{
    if (device_attached) return; // another collection of a mouse already open
    qDebug() << "mouse plug in";
    if (!open_mouse()) return;
    qDebug() << "PATH:" << dev_path;
    enter_attached_state();
}

void z9ktool::device_removal(const QString &interfaceName)
{
    if (!devbroadcast::removal_matches(interfaceName, QByteArray(dev_path))) return;
    device_attached = 0;
    hideForRemoval();
    m_CloseDevice();
    if (open_mouse()) {
        // Still reachable through another matching interface.
        enter_attached_state();
    } else {
        enter_detached_state(); // dev_path keeps the old path
    }
}

// ---- firmware flashing --------------------------------------------------------

quint32 z9ktool::stm32crc32(const quint32 *message, quint32 nWords, quint32 remainder)
{
    return fwimage::stm32crc32(message, nWords, remainder);
}

void z9ktool::fw_refused(const QString &why)
{
    // Nothing went to the mouse: say why and let the dialog be closed.
    update_confirm->prog_bar->hide();
    update_confirm->text_1->setText(why);
    update_confirm->close_btn->setEnabled(true);
}

void z9ktool::RunFWUpdate()
{
    const kivoctl::FlashMark flashing; // kivoctl tells a busy program from a hung one
    Update_Dialog *dlg = update_confirm;
    const QString path = QDir::current().filePath(fwfile);
    QFile file(path);
    if (fwfile.isEmpty() || !QFileInfo(path).isFile()) {
        qDebug() << "file not exists";
        fw_refused(QStringLiteral("固件文件不存在"));
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "open file error" << file.errorString();
        fw_refused(QStringLiteral("无法读取固件文件"));
        return;
    }
    QByteArray data;
    if (file.size() <= fwimage::kMaxFileSize) data = file.readAll();
    fwimage::Image img;
    const fwimage::Parse parsed = file.size() <= fwimage::kMaxFileSize ? fwimage::parse(data, &img)
                                                                       : fwimage::Parse::Truncated;
    if (parsed != fwimage::Parse::NoHeader) {
        qDebug() << "led_length" << img.led_length;
        qDebug() << "wireless_length" << img.wireless_length;
        qDebug() << "mcu_length" << img.mcu_length;
        qDebug() << "mcu_adderss" << img.mcu_address;
    }
    if (parsed != fwimage::Parse::Ok) {
        qDebug() << "firmware image cut short:" << data.size() << "bytes";
        fw_refused(QStringLiteral("固件文件已损坏"));
        return;
    }

    const quint32 length = img.mcu_length;
    dlg->prog_bar->setMaximum(int(length)); // the file fits in memory, so it fits an int
    dlg->prog_bar->setValue(0);
    dlg->text_1->setText(QStringLiteral("正在升级固件...0%"));

    // A refused step leaves the mouse short of what the next steps assume
    // (a refused erase, say, and the old image would come back "updated"):
    // stop as for a refused chunk.
    const auto cut_off = [dlg] {
        m_CloseConfigDevice();
        dlg->hide();
    };
    if (m_WriteConfig(63, disable_mouse) != 0 || m_WriteConfig(63, unlock) != 0 ||
        m_WriteConfig(63, erase) != 0) {
        cut_off();
        return;
    }
    fwimage::put_be32(crc + 3, fwimage::kFlashBase);
    write_mcu[2] = fwimage::kChunk;

    quint32 sent = 0;
    unsigned shown = 0;
    while (length - sent > quint32(fwimage::kChunk)) {
        fwimage::put_chunk(write_mcu, img.mcu + sent, sent, fwimage::kChunk);
        if (m_WriteConfig(63, write_mcu) != 0) {
            cut_off();
            return;
        }
        sent += fwimage::kChunk;
        dlg->prog_bar->setValue(int(sent));
        const unsigned pct = fwimage::percent(sent, length);
        dlg->text_1->setText(QStringLiteral("正在升级固件...") + QString::number(pct) + "%");
        // The loop keeps the event loop waiting; paint the figure when it moves.
        if (pct != shown) {
            shown = pct;
            dlg->text_1->repaint();
        }
    }
    fwimage::put_chunk(write_mcu, img.mcu + sent, sent, int(length - sent));
    if (m_WriteConfig(63, write_mcu) != 0) {
        cut_off();
        return;
    }
    dlg->prog_bar->setValue(int(length));
    dlg->text_1->setText(QStringLiteral("正在升级固件...100%"));

    bool checked = m_WriteConfig(63, lock) == 0;
    if (checked) {
        fwimage::put_crc(crc, length, fwimage::crc_bytes(img.mcu, length, 0xFFFFFFFFu));
        // Without the check the restarted mouse runs its loader: no success to report.
        checked = m_WriteConfig(63, crc) == 0;
    }
    if (checked) {
        dlg->prog_bar->hide();
        dlg->dg_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update_finish_icon")));
        dlg->close_btn->setEnabled(true);
        dlg->text_1->setText(QStringLiteral("固件升级已完成"));
        dlg->text_2->setText(QStringLiteral("当前版本V") + fw_version_str);
        dlg->repaint();
        QThread::msleep(500);
    }
    m_WriteConfig(63, reset_cmd);
    m_CloseConfigDevice();
    // Also after a refused lock: the restarted mouse leaves and the dialog must
    // not stay shut should its removal never be reported.
    dlg->close_btn->setEnabled(true);
    configpage->fw_update_icon->hide();
    configpage->firmware_version->setText(QStringLiteral("V") + fw_version_str);
}
