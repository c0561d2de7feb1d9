// The window itself: its construction, the pages made after the first paint,
// navigation and the mouse picture's part in it.
#include "window/z9ktool.h"

#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "pages/buttons/button_widget.h"
#include "pages/lighting/colorpicker.h"
#include "pages/lighting/led_widget.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/settings/update_dialog.h"
#include "platform/autorun.h"
#include "platform/devnotify.h"
#include "platform/windrag.h"
#include "update/update.h"
#include "view/pictures.h"
#include "view/recolor.h"
#include "window/disconnect_widget.h"
#include "window/mainpage.h"
#include "window/navbtn.h"
#include "window/system_tray.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDebug>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStackedWidget>
#include <QTimer>

namespace
{

const int BuildPageEvent = QEvent::User + 2;
// The grey of a zone switched off, as the lighting page's changes show it.
const int kUpdateGrey = 127;

QPushButton *imageButton(QWidget *parent, const QRect &r, const QString &img, const QString &hover,
                         const QString &tip)
{
    auto *b = new ImageButton(parent, img, hover);
    b->setGeometry(r);
    b->setFlat(true);
    b->setToolTip(tip);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace

z9ktool::z9ktool(QWidget *parent)
    : QWidget(parent), animation_timer(m_view.timer()), animation_no(m_view.animation_no),
      m_updateThread(m_updates.thread), m_update(m_updates.worker),
      picture_path(m_view.picture_path)
{
    // 1. Geometry and flags.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    setGeometry(screen.width() / 2 - 550, screen.height() / 2 - 375, 1100, 750);
    setFixedSize(1100, 750);
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowMaximizeButtonHint);
    setWindowTitle(tr("Kivo游戏鼠标"));
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
    auto *title = new QLabel(tr("Kivo游戏鼠标", "logo caption"), this);
    title->setGeometry(70, 32, 72, 12);
    title->setStyleSheet(QStringLiteral("font-size:11px;color:rgba(255,255,255,0.6)"));
    auto *title2 = new QLabel(QStringLiteral("KIVO GAMING MOUSE"), this);
    title2->setGeometry(70, 48, 100, 8);
    title2->setStyleSheet(QStringLiteral("font-size:7px;color:rgba(255,255,255,0.6)"));

    // 4. Navigation.
    nav_btns = new QButtonGroup(this);
    // The icons are named after the Chinese labels.
    const char *const labels[5] = {QT_TR_NOOP("主页"), QT_TR_NOOP("鼠标键设置"),
                                   QT_TR_NOOP("灯光设置"), QT_TR_NOOP("指针速度"),
                                   QT_TR_NOOP("设置")};
    for (int id = 1; id <= 5; ++id) {
        auto *b = new Navbtn(QString::fromUtf8(labels[id - 1]), tr(labels[id - 1]), this);
        b->move(36, 110 + 56 * (id - 1));
        nav_btns->addButton(b, id);
    }
    nav_btns->button(1)->setChecked(true);

    // 5. The mouse picture, with the two zone masks above it.
    m_view.build(this, QRect(180, 20, 920, 390));
    mouselabel = m_view.label();
    wheel_mask = m_view.wheelMask();
    rear_mask = m_view.rearMask();
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
    battery_label = new QLabel(tr("鼠标电量 %1%").arg(100), this);
    battery_label->setGeometry(36, 656, 108, 30);
    battery_label->setAlignment(Qt::AlignCenter);
    battery_label->setStyleSheet(QStringLiteral(
        "background-color:transparent;margin:0px;font:12px;color:rgba(255,255,255,0.3);"));
    battery_label->hide();
    battery_timer = new QTimer(this);
    battery_timer->start(60000);
    connect(battery_timer, &QTimer::timeout, this, &z9ktool::update_battery_info);
    reset_btn = new QPushButton(tr("恢复出厂设置"), this);
    reset_btn->setGeometry(36, 686, 108, 30);
    reset_btn->setStyleSheet(qss_click_btn);
    reset_btn->setCursor(Qt::PointingHandCursor);
    min_btn = imageButton(this, QRect(1026, 30, 12, 12), QStringLiteral(":/img/min.png"),
                          QStringLiteral(":/img/min_hover.png"), tr("最小化"));
    close_btn = imageButton(this, QRect(1058, 30, 12, 12), QStringLiteral(":/img/close.png"),
                            QStringLiteral(":/img/close_hover.png"), tr("关闭"));
    connect(min_btn, &QPushButton::clicked, this, &QWidget::showMinimized);
    connect(close_btn, &QPushButton::clicked, this, &QWidget::hide);

    // 8. Programs downloaded earlier, then the update check. The check starts
    // from the event loop, once start-up has read the mouse's firmware version:
    // a nearby server answers faster than that first read.
    connect(&m_updates, &UpdateCoordinator::workerMade, this, [this](UpdateCheck *worker) {
        connect(worker, &UpdateCheck::signalGetUpdateFinished, this, &z9ktool::UpdateFound);
        connect(worker, &UpdateCheck::signalGetFWUpdateFinished, this, &z9ktool::FWUpdateFound);
        connect(worker, &UpdateCheck::signalUpdateWithdrawn, this, &z9ktool::UpdateWithdrawn);
        connect(worker, &UpdateCheck::signalFWUpdateWithdrawn, this, &z9ktool::FWUpdateWithdrawn);
    });
    scan_downloaded_programs();
    QTimer::singleShot(0, this, &z9ktool::startFirstCheck);

    // 9. Shield over the navigation while the colour picker is open; lighting links.
    mask_side = new QPushButton(this);
    mask_side->setGeometry(0, 0, 180, 750);
    mask_side->setFlat(true);
    mask_side->setStyleSheet(QStringLiteral("border:none;background-color:transparent"));
    mask_side->hide();
    connect(mask_side, &QPushButton::clicked, mask_side, &QWidget::hide);
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
    m_updates.stop();
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
    // A Wayland client may not take the focus (its plugin warns when asked);
    // the compositor gives it to the window shown again.
    if (QGuiApplication::platformName() != QLatin1String("wayland")) activateWindow();
}

void z9ktool::hideEvent(QHideEvent *event)
{
    // The picker is a child: hidden only with the window, it would come back
    // with it, without its shields and without its add, so that the next pick
    // would change whichever preset was changed last.
    closePicker();
    QWidget::hideEvent(event);
}

void z9ktool::closePicker()
{
    if (ledpage.isBuilt()) {
        ledpage->picker->hide();
        ledpage->mask_btn->hide();
    }
    mask_side->hide();
    new_btn = false;
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
    int no; // the transition's first frame
    switch (index) {
    case 1:
    case 4:
        after_status = 0;
        no = 0;
        break;
    case 2: {
        const int target = btnpage->viewBtn->checkedId();
        // Set even when it is the current view: an animation that is still
        // running then ends on this view at its next step.
        after_status = target;
        if (target == mouse_status) return;
        btnpage->hideAllMarkers();
        if (target == 1)
            no = mouse_status == 0 ? 15 : 0;
        else
            no = 15;
        break;
    }
    case 3:
        if (ledpage->ledzone_switch->checkedId() == 0) {
            after_status = 3;
            no = mouse_status == 2 ? 0 : 15;
        } else {
            after_status = 0;
            no = 0;
        }
        break;
    default:
        return; // settings: the picture keeps its view
    }
    m_view.start(no);
}

void z9ktool::anim_start(int, bool)
{
    m_view.startTowardsTarget();
}

void z9ktool::onTimeout()
{
    const int reached = m_view.step();
    if (reached == 1 || reached == 2) btnpage->showButtons();
}

void z9ktool::customEvent(QEvent *event)
{
    if (event->type() != QEvent::Type(BuildPageEvent)) return QWidget::customEvent(event);
    m_buildPosted = false;
    buildNextPage();
}

void z9ktool::showView(int view)
{
    m_view.showView(view);
}

void z9ktool::setPicture(const QString &path)
{
    m_view.jumpTo(path);
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
    m_view.hideMasks();
}

// The three updates below tint the view on show. While the picture is still
// moving they leave it alone: the records already hold the change, and the
// animation's last step draws the new view from them.

void z9ktool::updateImageColor()
{
    if (animation_timer->isActive()) return;
    if (ledpage->ledzone_switch->checkedId() == 1)
        m_view.tintFront(qRgb(front_led_status[8], front_led_status[9], front_led_status[10]),
                         false);
    else
        m_view.tintRear(qRgb(rear_led_status[8], rear_led_status[9], rear_led_status[10]), false);
}

void z9ktool::updateImageFrontLedMode()
{
    if (animation_timer->isActive()) return;
    m_view.tintFront(zone_colour(front_led_status, kUpdateGrey), true);
}

void z9ktool::updateImageRearLedMode()
{
    if (animation_timer->isActive()) return;
    // The rear tab always shows the rear view.
    if (rear_led_status[4] == 6)
        m_view.showRearMagic();
    else
        m_view.tintRear(zone_colour(rear_led_status, kUpdateGrey), true);
}
