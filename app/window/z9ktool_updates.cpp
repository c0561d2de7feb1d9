// The window's side of the online update and of flashing: the first check
// after the first paint, the offers on the settings page, starting the new
// program, and the flash dialog's progress.
#include "window/z9ktool.h"

#include "device/flasher.h"
#include "device/fwimage.h"
#include "device/kivomouse.h"
#include "kivoctl/kivoctl_apply.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/update_dialog.h"
#include "update/update.h"
#include "view/pictures.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include <cstring>

namespace
{

// The flash's progress in the update dialog. The flash keeps the event loop
// waiting, so the figure is painted when it moves.
class DialogProgress : public flasher::Progress
{
public:
    explicit DialogProgress(Update_Dialog *dlg) : m_dlg(dlg) {}
    void started(quint32 length) override
    {
        m_dlg->prog_bar->setMaximum(int(length)); // held to the application area
        m_dlg->prog_bar->setValue(0);
        m_dlg->text_1->setText(QCoreApplication::translate("z9ktool", "正在升级固件...0%"));
    }
    void advanced(quint32 sent, unsigned percent, bool percentMoved) override
    {
        m_dlg->prog_bar->setValue(int(sent));
        m_dlg->text_1->setText(
            QCoreApplication::translate("z9ktool", "正在升级固件...%1%").arg(percent));
        if (percentMoved) m_dlg->text_1->repaint();
    }
    void written(quint32 length) override
    {
        m_dlg->prog_bar->setValue(int(length));
        m_dlg->text_1->setText(QCoreApplication::translate("z9ktool", "正在升级固件...100%"));
        m_dlg->text_1->repaint(); // stays up while the restarted mouse is awaited
    }

private:
    Update_Dialog *m_dlg;
};

QString version_text(const quint8 v[3])
{
    return QString::fromLatin1(fwimage::version_text(v));
}

} // namespace

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
    m_updates.start();
}

void z9ktool::scan_downloaded_programs()
{
    for (const QString &name : UpdateCoordinator::scan_downloaded_programs())
        UpdateFound(name);
}

void z9ktool::UpdateFound(const QString &filename)
{
    qDebug() << "APP UpdateFound" + filename;
    if (!QFileInfo(QDir::current().filePath(filename)).isFile()) return;
    configpage->soft_update_icon->show();
    configpage->version->setText(tr("发现新版本  "));
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
    const UpdateCheck *from = qobject_cast<UpdateCheck *>(sender());
    if (!from) from = m_update;
    const QString remote = from ? from->fw_version_str : QString();
    configpage->fw_update_icon->show();
    configpage->firmware_version->setText(tr("发现新版本  "));
    fwfile = filename;
    fw_version_str = remote;
    update_confirm->text_1->setText(QStringLiteral("V") + remote);
    connect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
            &Update_Dialog::show_dialog, Qt::UniqueConnection);
}

void z9ktool::UpdateWithdrawn()
{
    if (updatefile.isEmpty()) return;
    qDebug() << "APP update withdrawn" << updatefile;
    configpage->soft_update_icon->hide();
    configpage->version->setText(config_Widget::program_version_text());
    disconnect(configpage->version, &QPushButton::clicked, this, &z9ktool::RunUpdate);
    updatefile.clear();
}

void z9ktool::FWUpdateWithdrawn()
{
    // An open dialog may be about to flash it, or flashing it: the offer
    // stays until a later check, when the dialog is closed.
    if (fwfile.isEmpty() || update_confirm->isVisible()) return;
    qDebug() << "FW update withdrawn" << fwfile;
    configpage->fw_update_icon->hide();
    configpage->firmware_version->setText(QStringLiteral("V") + version_text(fw_version + 3));
    disconnect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
               &Update_Dialog::show_dialog);
    fwfile.clear();
    fw_version_str.clear();
}

void z9ktool::RunUpdate()
{
    qDebug() << "RunUpdate()_" + updatefile;
    // Quitting when it cannot start would leave the user with no program at all.
    if (UpdateCoordinator::start_program(updatefile)) QCoreApplication::quit();
}

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

void z9ktool::fw_finished(const quint8 version[3])
{
    Update_Dialog *dlg = update_confirm;
    dlg->prog_bar->hide();
    dlg->dg_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update_finish_icon")));
    dlg->close_btn->setEnabled(true);
    dlg->text_1->setText(tr("固件升级已完成"));
    dlg->text_2->setText(tr("当前版本V") + version_text(version));
    dlg->repaint();
    // The offer is spent: the mouse runs it.
    configpage->fw_update_icon->hide();
    configpage->firmware_version->setText(QStringLiteral("V") + version_text(version));
    disconnect(configpage->firmware_version, &QPushButton::clicked, update_confirm,
               &Update_Dialog::show_dialog);
}

void z9ktool::fw_failed()
{
    // The settings page keeps whatever offer it had, so that a second flash can
    // bring the mouse back.
    Update_Dialog *dlg = update_confirm;
    dlg->prog_bar->hide();
    dlg->close_btn->setEnabled(true);
    dlg->text_1->setText(tr("固件升级失败，请重新更新"));
    dlg->repaint();
}

bool z9ktool::defer_device_change(bool arrival, const QString &interfaceName)
{
    if (!m_flashing) return false;
    m_deferredChanges.append(qMakePair(arrival, interfaceName));
    return true;
}

flasher::Run z9ktool::flash_firmware(const QString &path)
{
    const kivoctl::FlashMark flashing; // kivoctl tells a busy program from a hung one
    flasher::Run run;
    m_flashing = true;
    struct TakeDeferred {
        z9ktool *w;
        ~TakeDeferred()
        {
            w->m_flashing = false;
            // From the event loop, once the result has been painted.
            for (const auto &change : qAsConst(w->m_deferredChanges))
                QMetaObject::invokeMethod(
                    w,
                    [w = w, change] {
                        if (change.first)
                            w->device_arrival(change.second);
                        else
                            w->device_removal(change.second);
                    },
                    Qt::QueuedConnection);
            w->m_deferredChanges.clear();
        }
    } takeDeferred{this};

    // Read once: what is checked is what is flashed, whoever started the flash.
    QByteArray data;
    switch (fwimage::read_file(path, &data, &run.error)) {
    case fwimage::Read::Missing:
        qDebug() << "file not exists";
        run.end = flasher::Run::Missing;
        fw_refused(tr("固件文件不存在"));
        return run;
    case fwimage::Read::Unreadable:
        qDebug() << "open file error" << run.error;
        run.end = flasher::Run::Unreadable;
        fw_refused(tr("无法读取固件文件"));
        return run;
    case fwimage::Read::TooLarge:
        run.refusal = fwimage::Parse::TooLarge;
        break;
    case fwimage::Read::Ok:
        break;
    }
    fwimage::Image img;
    if (run.refusal == fwimage::Parse::Ok) run.refusal = fwimage::parse(data, &img);
    if (run.refusal != fwimage::Parse::NoHeader && !data.isEmpty()) {
        qDebug() << "led_length" << img.led_length;
        qDebug() << "wireless_length" << img.wireless_length;
        qDebug() << "mcu_length" << img.mcu_length;
        qDebug() << "mcu_adderss" << img.mcu_address;
    }
    if (run.refusal != fwimage::Parse::Ok) {
        qDebug() << "firmware image refused:" << fwimage::refusal_text(run.refusal);
        run.end = flasher::Run::Refused;
        fw_refused(tr("固件文件已损坏"));
        return run;
    }
    std::memcpy(run.version, img.version, 3);

    flasher::BoundChannel channel;
    DialogProgress progress(update_confirm);
    switch (flasher::flash(img, channel, progress)) {
    case flasher::Result::CutOff:
        run.end = flasher::Run::CutOff;
        update_confirm->hide();
        return run;
    case flasher::Result::Unchecked:
        run.end = flasher::Run::Unchecked;
        break;
    case flasher::Result::Checked:
        switch (flasher::confirm(img, channel, fw_confirm_wait_ms, run.reported)) {
        case flasher::Confirm::Running:
            run.end = flasher::Run::Running;
            break;
        case flasher::Confirm::Loader:
            run.end = flasher::Run::Loader;
            break;
        case flasher::Confirm::OtherVersion:
            run.end = flasher::Run::OtherVersion;
            break;
        case flasher::Confirm::NoAnswer:
            run.end = flasher::Run::NoAnswer;
            break;
        }
        break;
    }
    qDebug() << "flash ended" << int(run.end) << "mouse at" << version_text(run.reported);
    if (run.end != flasher::Run::Running) {
        fw_failed();
        return run;
    }
    fw_finished(run.reported);
    channel.pause(500); // long enough to be seen before the restart's removal is taken
    return run;
}

void z9ktool::RunFWUpdate()
{
    if (fwfile.isEmpty()) {
        qDebug() << "file not exists";
        fw_refused(tr("固件文件不存在"));
        return;
    }
    flash_firmware(QDir::current().filePath(fwfile));
}
