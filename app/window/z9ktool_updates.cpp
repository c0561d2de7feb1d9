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
#include <QThread>
#include <QTimer>

namespace
{

// The flash's progress in the update dialog. The flash keeps the event loop
// waiting, so the figure is painted when it moves.
class DialogProgress : public flasher::Progress
{
public:
    DialogProgress(Update_Dialog *dlg, const QString &version) : m_dlg(dlg), m_version(version) {}
    void started(quint32 length) override
    {
        m_dlg->prog_bar->setMaximum(int(length)); // the file fits in memory, so it fits an int
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
    }
    void checked() override
    {
        m_dlg->prog_bar->hide();
        m_dlg->dg_icon->setPixmap(pictures::pixmap(QStringLiteral(":/img/update_finish_icon")));
        m_dlg->close_btn->setEnabled(true);
        m_dlg->text_1->setText(QCoreApplication::translate("z9ktool", "固件升级已完成"));
        m_dlg->text_2->setText(QCoreApplication::translate("z9ktool", "当前版本V") + m_version);
        m_dlg->repaint();
        QThread::msleep(500);
    }

private:
    Update_Dialog *m_dlg;
    QString m_version;
};

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
    const Update *from = qobject_cast<Update *>(sender());
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

void z9ktool::RunFWUpdate()
{
    const kivoctl::FlashMark flashing; // kivoctl tells a busy program from a hung one
    Update_Dialog *dlg = update_confirm;
    const QString path = QDir::current().filePath(fwfile);
    QFile file(path);
    if (fwfile.isEmpty() || !QFileInfo(path).isFile()) {
        qDebug() << "file not exists";
        fw_refused(tr("固件文件不存在"));
        return;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        qDebug() << "open file error" << file.errorString();
        fw_refused(tr("无法读取固件文件"));
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
        fw_refused(tr("固件文件已损坏"));
        return;
    }

    flasher::BoundChannel channel;
    DialogProgress progress(dlg, fw_version_str);
    if (flasher::flash(img, channel, progress) == flasher::Result::CutOff) {
        dlg->hide();
        return;
    }
    // Also after a refused lock: the restarted mouse leaves and the dialog must
    // not stay shut should its removal never be reported.
    dlg->close_btn->setEnabled(true);
    configpage->fw_update_icon->hide();
    configpage->firmware_version->setText(QStringLiteral("V") + fw_version_str);
}
