// app/window: the main window and what frames the pages (navigation buttons, welcome and no-device
// pages, tray, shared style sheets).
//
// The program's only top-level window: navigation column, page stack, the
// mouse picture (view/mouseview.h) and the device logic (plug and unplug,
// status refresh, battery, firmware version, factory reset: z9ktool_presence.cpp),
// the update offers and flashing (z9ktool_updates.cpp).
#ifndef Z9KTOOL_H
#define Z9KTOOL_H

#include <QImage>
#include <QPixmap>
#include <QPair>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QVector>
#include <QWidget>

#include "pages/buttons/button_widget.h"
#include "update/coordinator.h"
#include "view/mouseview.h"

#include <functional>

class QButtonGroup;
class QLabel;
class QPushButton;
class QStackedWidget;
class QThread;
class QTimer;

class SystemTray;
class DeviceNotifier;
class disconnect_Widget;
class Mainpage;
class button_Widget;
class led_Widget;
class pointer_Widget;
class config_Widget;
class Confirm_Dialog;
class Update_Dialog;
class Navbtn;
class Update;
class FrameLabel;
namespace flasher
{
struct Run;
}

// A page of the window's stack that is made when first used, or in the
// event loop once the window has been painted: the window is shown without
// first building pages it does not show. Used as the page's pointer.
template <class Page> class DeferredPage
{
public:
    DeferredPage() = default;
    DeferredPage(const DeferredPage &) = delete;
    DeferredPage &operator=(const DeferredPage &) = delete;
    // Called with the new page, before anyone else gets it.
    void onBuilt(std::function<void(Page *)> f) { m_built = std::move(f); }
    Page *get() const
    {
        if (!m_page) {
            m_page = new Page;
            if (m_built) m_built(m_page);
        }
        return m_page;
    }
    Page *operator->() const { return get(); }
    operator Page *() const { return get(); }
    bool isBuilt() const { return m_page != nullptr; }

private:
    mutable Page *m_page = nullptr;
    std::function<void(Page *)> m_built;
};

class z9ktool : public QWidget
{
    Q_OBJECT
    // Before the members below that refer into them.
    MouseView m_view;
    UpdateCoordinator m_updates;

public:
    explicit z9ktool(QWidget *parent = nullptr);
    ~z9ktool() override;

    SystemTray *system_tray;
    FrameLabel *mouselabel;
    QLabel *wheel_mask;
    QLabel *rear_mask;
    disconnect_Widget *disconnectpage;
    Mainpage *mainpage;
    DeferredPage<button_Widget> btnpage;
    DeferredPage<led_Widget> ledpage;
    DeferredPage<pointer_Widget> pointerpage;
    config_Widget *configpage;
    QStackedWidget *side_stack;
    QButtonGroup *nav_btns;
    Confirm_Dialog *reset_confirm;
    Update_Dialog *update_confirm;
    QTimer *const animation_timer; // the picture's transition
    int &animation_no;
    QTimer *battery_timer;
    QLabel *battery_label;
    QPushButton *reset_btn;
    QPushButton *min_btn;
    QPushButton *close_btn;
    QPushButton *mask_side;
    QString updatefile;
    QString fwfile;
    // The version of the image fwfile names, kept from the worker that found it
    // (the worker is gone by the time the user flashes).
    QString fw_version_str;
    // How long a restarted mouse may take to answer before the flash counts as failed.
    int fw_confirm_wait_ms = 10000;
    // The most recent check; both delete themselves when the thread ends.
    QPointer<QThread> &m_updateThread;
    QPointer<UpdateCheck> &m_update;
    DeviceNotifier *device_notifier = nullptr;
    const QString &picture_path; // resource shown in mouselabel

    void update_mouse_status();
    void update_ui();
    void update_fw_version();
    // The whole flash of the image file at path in the update dialog (shown and
    // started by the caller): read once, checked, flashed, confirmed by the mouse.
    flasher::Run flash_firmware(const QString &path);
    void startUpdateThread();
    static quint32 stm32crc32(const quint32 *message, quint32 nWords, quint32 remainder);
    // Deletes downloaded programs not newer than this one, offers a newer one.
    void scan_downloaded_programs();

    // Opens the mouse's control channel; on success its path is kept in
    // dev_path, on failure dev_path keeps the last one.
    bool open_mouse();
    // Switches to the mouse-present state (page, navigation, picture, full re-read).
    void enter_attached_state();
    // Switches to the no-mouse state (page 0, navigation and reset disabled).
    void enter_detached_state();

public slots:
    void showWidget();
    void onTimeout();
    void iconIsActived(QSystemTrayIcon::ActivationReason reason);
    void setAutorun(bool Autorun);
    void page_changed(int index, bool checked);
    void anim_start(int ID, bool i);
    void reset_to_factory();
    void update_battery_info();
    void showAxis();
    void showTop();
    void showSide();
    void showRear();
    void maskHide();
    void updateImageColor();
    void updateImageFrontLedMode();
    void updateImageRearLedMode();

    // Device-change handling, fed by the platform's notifications.
    void device_arrival(const QString &interfaceName);
    void device_removal(const QString &interfaceName);

    // Online update: a finished program or firmware image, and starting the program.
    void UpdateFound(const QString &filename);
    void FWUpdateFound(const QString &filename);
    void RunUpdate();
    void RunFWUpdate();
    // The server no longer offers what is on offer: the offer goes, the file stays.
    void UpdateWithdrawn();
    void FWUpdateWithdrawn();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void customEvent(QEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    bool nativeEvent(const QByteArray &eventType, void *message, long *result) override;

private:
    // The first update check: after the first paint when the window is shown.
    void startFirstCheck();
    bool m_painted = false;
    bool m_checkAfterPaint = false;
    // The pages not yet made are made one per turn of the event loop.
    bool m_buildPosted = false;
    bool m_pagesFilled = false; // update_ui has filled the pages made so far
    // What the refresh read for the buttons page when it was not made yet.
    button_Widget::ButtonReading m_buttonReading;
    void startPageBuilds();
    void postPageBuild();
    void buildNextPage();
    void installPage(int index, QWidget *page);
    // read: what the refresh read for it before it was made; null to read now.
    void fill_button_page(const button_Widget::ButtonReading *read = nullptr);
    void fill_led_page();
    void fill_pointer_page();
    // A flash that cannot start: the reason in the dialog, which can be closed.
    void fw_refused(const QString &why);
    // The end of a flash in the dialog and on the settings page.
    void fw_finished(const quint8 version[3]);
    void fw_failed();
    // Device changes reported while a flash runs, taken once it is over
    // (true: an arrival).
    bool m_flashing = false;
    QVector<QPair<bool, QString>> m_deferredChanges;
    bool defer_device_change(bool arrival, const QString &interfaceName);
    void setPicture(const QString &path);
    void showView(int view);
    void hideForRemoval();
    // Hides the colour picker with its shields and ends a pending add.
    void closePicker();
    Navbtn *navButton(int id) const;
    void setNavigationEnabled(bool enabled);
};

#endif
