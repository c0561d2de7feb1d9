// The colour presets of the lighting page against a user_color.ini in a
// temporary program folder: what a file gives, adding through the picker,
// changing by double click, deleting in manage mode, the fallback folder, and
// the picker in the window going with it.
#include "virtualmouse.h"

#include "pages/lighting/col_btn.h"
#include "pages/lighting/colorpicker.h"
#include "pages/lighting/led_widget.h"
#include "window/z9ktool.h"

#include <QButtonGroup>
#include <QPushButton>
#include <QSettings>
#include <QSignalSpy>
#include <QSlider>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <memory>
#include <unistd.h>

using Colours = QVector<QColor>;
Q_DECLARE_METATYPE(Colours)

static const Colours builtins = {QColor(255, 0, 0), QColor(0, 135, 255), QColor(0, 255, 20),
                                 QColor(255, 170, 0)};

static QColor hsv(int h, int s, int v)
{
    return QColor(QColor::fromHsv(h, s, v).rgb());
}

class Presets : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void fileGivesTheRow_data();
    void fileGivesTheRow();
    void colourValuesOutOfRange();
    void deleteKeepsTheCheckedColour();
    void deleteCheckedPresetInTheMiddle();
    void deleteCheckedLastPreset();
    void doubleClickChangesOnlyThatPreset();
    void addThroughThePicker();
    void eightPresetsHideTheAddButton();
    void closingThePickerEndsThePendingAdd();
    void effectWithoutColourEndsManageMode();
    void readOnlyProgramFolderFallsBack();
    void folderInPlaceOfTheFileFallsBack();
    void pickerGoesWithTheWindow();
    void installedProgramFolderIsNotWritten();

private:
    led_Widget *openPage(const QString &ini = QString());
    Colours row() const;
    QMap<QString, QString> fileKeys() const;
    QStringList commandsSince(int mark) const;
    void pick(QPoint wheel);
    void manage(); // clicks "管理颜色" / "完成"

    std::unique_ptr<QTemporaryDir> dir;
    std::unique_ptr<led_Widget> page;
};

void Presets::initTestCase()
{
    QVERIFY(bindVirtualMouse());
}

void Presets::init()
{
    freshMouse();
    m_OpenDevice(USB_VID, USB_PID);
    page.reset();
    dir.reset(new QTemporaryDir);
    color_num = current_color = 0;
    new_btn = manage_state = false;
    front_selected_color = rear_selected_color = 0;
}

led_Widget *Presets::openPage(const QString &ini)
{
    if (!ini.isNull()) {
        QFile f(dir->filePath("user_color.ini"));
        if (!f.open(QIODevice::WriteOnly)) qFatal("cannot write the test's preset file");
        f.write(ini.toUtf8());
    }
    page.reset(new led_Widget);
    page->init_user_color(dir->path());
    page->front_mode_btn->button(2)->setChecked(true); // breath: the row is live
    page->show();
    return page.get();
}

Colours Presets::row() const
{
    Colours out;
    for (int k = 1; k <= 8; ++k) {
        const Col_Btn *c = page->swatch(k);
        if (c->isVisibleTo(page.get())) out << QColor(c->rgb_r, c->rgb_g, c->rgb_b);
    }
    return out;
}

QMap<QString, QString> Presets::fileKeys() const
{
    settings->sync();
    QSettings s(dir->filePath("user_color.ini"), QSettings::IniFormat);
    QMap<QString, QString> out;
    for (const QString &k : s.allKeys())
        out[k] = s.value(k).toString();
    return out;
}

QStringList Presets::commandsSince(int mark) const
{
    QStringList out;
    const QVector<SentReport> all = sentReports();
    for (int i = mark; i < all.size(); ++i)
        out << QString::fromLatin1(all[i].bytes.mid(1, 9).toHex());
    return out;
}

void Presets::pick(QPoint wheel)
{
    ColorPicker *p = page->picker;
    const QPoint pos = wheel + QPoint(ColorPicker::c_x, ColorPicker::c_y);
    QWidget *target = p->childAt(pos);
    if (!target) target = p;
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(p, pos));
}

void Presets::manage()
{
    QTest::mouseClick(page->del_btn, Qt::LeftButton);
}

void Presets::fileGivesTheRow_data()
{
    QTest::addColumn<QString>("ini");
    QTest::addColumn<Colours>("shown");
    QTest::addColumn<QString>("num"); // in the file afterwards
    QTest::newRow("Num 3 without COLOR3")
        << "[USER_COLOR]\nNum=3\n[COLOR1]\nRed=1\nGreen=2\nBlue=3\n"
           "[COLOR2]\nRed=4\nGreen=5\nBlue=6\n"
        << Colours{QColor(1, 2, 3), QColor(4, 5, 6), QColor(0, 0, 0)} << "3";
    QTest::newRow("Num 9") << "[USER_COLOR]\nNum=9\n" << builtins << "4";
    QTest::newRow("Num 0") << "[USER_COLOR]\nNum=0\n" << builtins << "4";
    QTest::newRow("Num 255") << "[USER_COLOR]\nNum=255\n" << builtins << "4";
    QTest::newRow("Num -1") << "[USER_COLOR]\nNum=-1\n" << builtins << "4";
    QTest::newRow("Num 257 is 1 in eight bits")
        << "[USER_COLOR]\nNum=257\n[COLOR1]\nRed=9\nGreen=9\nBlue=9\n"
        << Colours{QColor(9, 9, 9)} << "257";
    QTest::newRow("Num text") << "[USER_COLOR]\nNum=lots\n" << builtins << "4";
    QTest::newRow("no file") << QString() << builtins << "4";
    QTest::newRow("no Num") << "[COLOR1]\nRed=9\nGreen=9\nBlue=9\n" << builtins << "4";
    QTest::newRow("truncated") << "[USER_COLOR]\nNum=2\n[COLOR1]\nRed=7\nGre"
                               << Colours{QColor(7, 0, 0), QColor(0, 0, 0)} << "2";
    QTest::newRow("binary") << QString::fromLatin1("\x01\xff[[\x7f=\n\x00\x00=]]\xfe\n[", 15)
                            << builtins << "4";
}

void Presets::fileGivesTheRow()
{
    QFETCH(QString, ini);
    QFETCH(Colours, shown);
    QFETCH(QString, num);
    if (!ini.isNull()) ini += "\n[OTHER]\nkept=yes\n";
    openPage(ini);
    QCOMPARE(row(), shown);
    QCOMPARE(int(color_num), shown.size());
    const auto keys = fileKeys();
    QCOMPARE(keys.value("USER_COLOR/Num"), num);
    if (num == "4") {
        for (int k = 1; k <= 4; ++k)
            QCOMPARE(QColor(keys.value(QString("COLOR%1/Red").arg(k)).toInt(),
                            keys.value(QString("COLOR%1/Green").arg(k)).toInt(),
                            keys.value(QString("COLOR%1/Blue").arg(k)).toInt()),
                     builtins[k - 1]);
    }
    if (!ini.isNull() && QLatin1String(QTest::currentDataTag()) != QLatin1String("binary"))
        QCOMPARE(keys.value("OTHER/kept"), QString("yes"));
    // The add button follows the row.
    QCOMPARE(page->add_cl_btn->pos(), QPoint(185 + 30 * shown.size(), 577));
    QVERIFY(page->add_cl_btn->isVisible());
}

void Presets::colourValuesOutOfRange()
{
    openPage("[USER_COLOR]\nNum=2\n[COLOR1]\nRed=256\nGreen=-5\nBlue=12\n"
             "[COLOR2]\nRed=abc\nGreen=0x10\nBlue=255\n");
    // Out of range keeps the channel as it was (white); text reads as 0.
    QCOMPARE(row(), (Colours{QColor(255, 255, 12), QColor(0, 0, 255)}));
    // Reading changes nothing in the file.
    QCOMPARE(fileKeys().value("COLOR1/Red"), QString("256"));
}

void Presets::deleteKeepsTheCheckedColour()
{
    openPage();
    QTest::mouseClick(page->swatch(3), Qt::LeftButton);
    QCOMPARE(front_selected_color, 3);
    rear_selected_color = 4;
    const int mark = sentReports().size();

    manage();
    QCOMPARE(page->del_btn->text(), QStringLiteral("完成"));
    QVERIFY(page->add_cl_btn->isHidden());
    for (int k = 1; k <= 8; ++k)
        QCOMPARE(page->del_btn_g->button(k)->isVisible(), k <= 4);
    QTest::mouseClick(page->del_btn_g->button(2), Qt::LeftButton);

    QCOMPARE(row(), (Colours{builtins[0], builtins[2], builtins[3]}));
    QCOMPARE(page->color_btn_g->checkedId(), 2);
    QCOMPARE(front_selected_color, 2);
    QCOMPARE(rear_selected_color, 3);
    QVERIFY(page->del_btn_g->button(4)->isHidden());
    QVERIFY(commandsSince(mark).isEmpty()); // the zone keeps its colour
    const auto keys = fileKeys();
    QCOMPARE(keys.value("USER_COLOR/Num"), QString("3"));
    QCOMPARE(keys.value("COLOR2/Green"), QString("255"));
    QCOMPARE(keys.value("COLOR3/Green"), QString("170"));
    QVERIFY(keys.contains("COLOR4/Red")); // no longer read

    manage(); // leaving shows the add button at its new place
    QCOMPARE(page->add_cl_btn->pos(), QPoint(185 + 90, 577));
    QVERIFY(page->add_cl_btn->isVisible());

    openPage(); // a restart
    QCOMPARE(row(), (Colours{builtins[0], builtins[2], builtins[3]}));
}

void Presets::deleteCheckedPresetInTheMiddle()
{
    openPage();
    QTest::mouseClick(page->swatch(2), Qt::LeftButton);
    rear_selected_color = 2;
    manage();
    QTest::mouseClick(page->del_btn_g->button(2), Qt::LeftButton);
    QCOMPARE(page->color_btn_g->checkedId(), -1);
    QCOMPARE(front_selected_color, 0);
    QCOMPARE(rear_selected_color, 0);
    QCOMPARE(row(), (Colours{builtins[0], builtins[2], builtins[3]}));
}

void Presets::deleteCheckedLastPreset()
{
    openPage();
    QTest::mouseClick(page->swatch(4), Qt::LeftButton);
    manage();
    QTest::mouseClick(page->del_btn_g->button(4), Qt::LeftButton);
    QCOMPARE(page->color_btn_g->checkedId(), -1);
    QCOMPARE(front_selected_color, 0);
    manage();

    // A preset added in its place is checked by the add, which sends it.
    const int mark = sentReports().size();
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    pick(QPoint(65, 65)); // the centre: white at the slider's brightness
    QCOMPARE(page->color_btn_g->checkedId(), 4);
    QCOMPARE(front_selected_color, 4);
    const QColor c = hsv(270, 0, 200);
    QCOMPARE(commandsSince(mark), QStringList{"a10102040808" + c.name().mid(1)});

    // Deleting everything disables the manage button and offers the add button.
    manage();
    for (int k = 4; k >= 1; --k)
        QTest::mouseClick(page->del_btn_g->button(k), Qt::LeftButton);
    QCOMPARE(int(color_num), 0);
    QVERIFY(!page->del_btn->isEnabled());
    QCOMPARE(page->del_btn->text(), QStringLiteral("管理颜色"));
    QVERIFY(page->add_cl_btn->isVisible());
    QCOMPARE(page->add_cl_btn->pos(), QPoint(185, 577));
}

void Presets::doubleClickChangesOnlyThatPreset()
{
    openPage();
    const auto before = fileKeys();
    Col_Btn *two = page->swatch(2);
    QSignalSpy shown(page.get(), &led_Widget::mask_show);
    QTest::mouseClick(two, Qt::LeftButton);
    QTest::mouseDClick(two, Qt::LeftButton);
    QVERIFY(two->isChecked());
    QVERIFY(page->picker->isVisible());
    QVERIFY(page->mask_btn->isVisible());
    QCOMPARE(shown.count(), 1);
    QCOMPARE(page->picker->pos(), two->pos() + QPoint(32, -50));
    // The picker shows the swatch's colour: (0, 135, 255) is hue 208.
    QCOMPARE(page->picker->hue, 208);
    QCOMPARE(page->picker->saturation, 255);
    QCOMPARE(page->picker->bright_level->value(), 255);

    const int mark = sentReports().size();
    pick(QPoint(105, 25)); // hue 44, saturation 221
    const QColor c = hsv(44, 221, 255);
    QCOMPARE(QColor(two->rgb_r, two->rgb_g, two->rgb_b), c);
    QCOMPARE(int(color_num), 4);
    const QStringList sent = commandsSince(mark);
    QCOMPARE(sent.size(), 1);
    QVERIFY2(sent[0].startsWith("a101") && sent[0].endsWith(c.name().mid(1)), qPrintable(sent[0]));

    auto after = fileKeys();
    QCOMPARE(after.value("COLOR2/Red").toInt(), c.red());
    QCOMPARE(after.value("COLOR2/Green").toInt(), c.green());
    QCOMPARE(after.value("COLOR2/Blue").toInt(), c.blue());
    for (const char *k : {"COLOR2/Red", "COLOR2/Green", "COLOR2/Blue"})
        after.remove(k);
    auto unchanged = before;
    for (const char *k : {"COLOR2/Red", "COLOR2/Green", "COLOR2/Blue"})
        unchanged.remove(k);
    QCOMPARE(after, unchanged);

    // A click on the page's mask closes the popup and the mask.
    QSignalSpy closed(page->picker, &ColorPicker::picker_close);
    QTest::mouseClick(page->mask_btn, Qt::LeftButton, {}, QPoint(700, 100));
    QVERIFY(page->picker->isHidden());
    QVERIFY(page->mask_btn->isHidden());
    QCOMPARE(closed.count(), 1);
}

void Presets::addThroughThePicker()
{
    openPage();
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    QVERIFY(new_btn);
    QVERIFY(page->picker->isVisible());
    QCOMPARE(page->picker->pos(), QPoint(185 + 120 + 32, 577 - 50));

    const int mark = sentReports().size();
    pick(QPoint(25, 105)); // hue 224, saturation 221, brightness 200
    const QColor c = hsv(224, 221, 200);
    QCOMPARE(int(color_num), 5);
    QCOMPARE(row().last(), c);
    QVERIFY(page->swatch(5)->isChecked());
    QCOMPARE(front_selected_color, 5);
    QCOMPARE(page->add_cl_btn->pos(), QPoint(185 + 150, 577));
    const QStringList sent = commandsSince(mark);
    QCOMPARE(sent.size(), 1);
    QVERIFY2(sent[0].startsWith("a101") && sent[0].endsWith(c.name().mid(1)), qPrintable(sent[0]));
    auto keys = fileKeys();
    QCOMPARE(keys.value("USER_COLOR/Num"), QString("5"));
    QCOMPARE(keys.value("COLOR5/Red").toInt(), c.red());
    QCOMPARE(keys.value("COLOR5/Blue").toInt(), c.blue());

    // The popup stays open; the next result changes the new preset.
    pick(QPoint(65, 65));
    QCOMPARE(int(color_num), 5);
    QCOMPARE(row().last(), hsv(270, 0, 200));

    // A brightness step while adding keeps the previous hue and saturation.
    page->mask_btn->click();
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    page->picker->bright_level->setFocus();
    QTest::keyClick(page->picker->bright_level, Qt::Key_Left);
    QCOMPARE(int(color_num), 6);
    QCOMPARE(row().last(), hsv(270, 0, 199));
    QCOMPARE(fileKeys().value("USER_COLOR/Num"), QString("6"));
}

void Presets::eightPresetsHideTheAddButton()
{
    QString ini = "[USER_COLOR]\nNum=7\n";
    openPage(ini);
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    pick(QPoint(105, 25));
    QCOMPARE(int(color_num), 8);
    QVERIFY(page->add_cl_btn->isHidden());
    page->mask_btn->click();

    manage();
    QTest::mouseClick(page->del_btn_g->button(1), Qt::LeftButton);
    QCOMPARE(int(color_num), 7);
    QVERIFY(page->add_cl_btn->isHidden()); // still in manage mode
    manage();
    QVERIFY(page->add_cl_btn->isVisible());
    QCOMPARE(page->add_cl_btn->pos(), QPoint(185 + 210, 577));

    openPage("[USER_COLOR]\nNum=8\n");
    QVERIFY(page->add_cl_btn->isHidden());
}

void Presets::closingThePickerEndsThePendingAdd()
{
    openPage();
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    QTest::mouseClick(page->picker->close, Qt::LeftButton);
    QVERIFY(page->picker->isHidden());
    QVERIFY(page->mask_btn->isHidden());
    QVERIFY(!new_btn);

    Col_Btn *one = page->swatch(1);
    QTest::mouseClick(one, Qt::LeftButton);
    QTest::mouseDClick(one, Qt::LeftButton);
    pick(QPoint(65, 1)); // hue 90
    QCOMPARE(int(color_num), 4);
    QCOMPARE(QColor(one->rgb_r, one->rgb_g, one->rgb_b), hsv(90, 251, 255));
}

void Presets::effectWithoutColourEndsManageMode()
{
    openPage();
    manage();
    QVERIFY(page->add_cl_btn->isHidden());
    QTest::mouseClick(page->front_off, Qt::LeftButton);
    QVERIFY(!manage_state);
    QCOMPARE(page->del_btn->text(), QStringLiteral("管理颜色"));
    for (int k = 1; k <= 8; ++k)
        QVERIFY(page->del_btn_g->button(k)->isHidden());
    QVERIFY(!page->add_cl_btn->isEnabled());
    QTest::mouseClick(page->front_on, Qt::LeftButton);
    QVERIFY(page->add_cl_btn->isVisible());
    QVERIFY(page->add_cl_btn->isEnabled());
}

void Presets::readOnlyProgramFolderFallsBack()
{
#ifdef Q_OS_LINUX
    // An installed program: the folder is not the user's. As root every folder
    // is writable, so the check runs as "nobody" for the moment.
    const QString program = dir->filePath("program");
    const QString config = dir->filePath("config");
    QDir().mkpath(program);
    QDir().mkpath(config);
    {
        QSettings shipped(program + "/user_color.ini", QSettings::IniFormat);
        shipped.setValue("USER_COLOR/Num", 1);
        shipped.setValue("COLOR1/Red", 10);
    }
    const auto rx = QFileDevice::ReadOwner | QFileDevice::ExeOwner | QFileDevice::ReadGroup |
                    QFileDevice::ExeGroup | QFileDevice::ReadOther | QFileDevice::ExeOther;
    QFile::setPermissions(dir->path(), rx | QFileDevice::WriteOwner);
    QFile::setPermissions(program, rx);
    QFile::setPermissions(config, QFileDevice::Permissions(0x7777));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    const bool root = geteuid() == 0;
    if (root) QVERIFY(setresuid(65534, 65534, 0) == 0);

    page.reset(new led_Widget);
    page->init_user_color(program);
    page->show();
    QTest::mouseClick(page->swatch(1), Qt::LeftButton);
    QTest::mouseDClick(page->swatch(1), Qt::LeftButton);
    pick(QPoint(65, 65));
    settings->sync();
    const QString used = settings->fileName();
    const QSettings::Status status = settings->status();

    if (root) QVERIFY(setresuid(0, 0, 0) == 0);
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QCOMPARE(status, QSettings::NoError);
    QVERIFY2(used.startsWith(config + "/"), qPrintable(used));
    QVERIFY(used.endsWith("/user_color.ini"));
    // Started from the presets beside the program, changed in the user's copy.
    QSettings user(used, QSettings::IniFormat);
    QCOMPARE(user.value("USER_COLOR/Num").toInt(), 1);
    // A grey at the swatch's brightness: the centre of the wheel.
    QCOMPARE(user.value("COLOR1/Green").toInt(), 10);
    QSettings shipped(program + "/user_color.ini", QSettings::IniFormat);
    QCOMPARE(shipped.value("COLOR1/Red").toInt(), 10);
    QFile::setPermissions(program, QFileDevice::Permissions(0x7700));
#else
    QSKIP("The fallback folder is a Linux carry");
#endif
}

void Presets::folderInPlaceOfTheFileFallsBack()
{
    const QString program = dir->filePath("program");
    const QString config = dir->filePath("config");
    QVERIFY(QDir().mkpath(program + "/user_color.ini"));
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    struct Restore {
        QByteArray value;
        ~Restore() { qputenv("XDG_CONFIG_HOME", value); }
    } restore{oldConfig};

    page.reset(new led_Widget);
    page->init_user_color(program);
    page->front_mode_btn->button(2)->setChecked(true);
    page->show();
    const QString used = settings->fileName();
    QVERIFY2(used.startsWith(config + "/"), qPrintable(used));
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    pick(QPoint(25, 105));
    QCOMPARE(int(color_num), 5);
    QCOMPARE(settings->status(), QSettings::NoError);

    // A restart finds the preset in the fallback file.
    page.reset(new led_Widget);
    page->init_user_color(program);
    QCOMPARE(row(), (builtins + Colours{hsv(224, 221, 200)}));

    // A file that cannot be written either: every write says so.
    QFile::remove(used);
    QVERIFY(QDir().mkpath(used));
    const QRegularExpression notSaved("^presets not saved: \".*/config/.*user_color.ini\"$");
    QTest::ignoreMessage(QtDebugMsg, notSaved); // the built-ins written at start
    page.reset(new led_Widget);
    page->init_user_color(program);
    page->front_mode_btn->button(2)->setChecked(true);
    QTest::ignoreMessage(QtDebugMsg, notSaved);
    QVERIFY(!page->add_preset(QColor(1, 2, 3)));
    QCOMPARE(int(color_num), 5); // the row has it all the same, for this run
}

void Presets::pickerGoesWithTheWindow()
{
    z9ktool w;
    w.ledpage->init_user_color(dir->path());
    attach_at_start(w);
    QVERIFY(device_attached);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWindow *win = w.windowHandle();
    auto at = [&w](QWidget *child, QPoint p) { return child->mapTo(&w, p); };
    auto click = [&](QWidget *child) {
        QTest::mouseClick(win, Qt::LeftButton, {}, at(child, child->rect().center()));
    };
    auto pickInWindow = [&](QPoint wheel) {
        const QPoint p = wheel + QPoint(ColorPicker::c_x, ColorPicker::c_y);
        QTest::mouseClick(win, Qt::LeftButton, {}, at(w.ledpage->picker, p));
    };
    click(w.nav_btns->button(3));
    QTRY_VERIFY(!w.animation_timer->isActive());
    led_Widget *led = w.ledpage;
    ColorPicker *picker = led->picker;

    // Preset 2 changed through a double click: the last preset picks went to.
    Col_Btn *two = led->swatch(2);
    click(two);
    QTest::mouseDClick(win, Qt::LeftButton, {}, at(two, two->rect().center()));
    QVERIFY(picker->isVisible());
    pickInWindow(QPoint(105, 25));
    const QColor changed = hsv(44, 221, 255);
    QCOMPARE(QColor(two->rgb_r, two->rgb_g, two->rgb_b), changed);
    click(picker->close);
    QVERIFY(picker->isHidden());

    // "+", then the window's close button (to the tray), then the tray's show.
    // On a desktop the window's deactivation comes after it has gone, when the
    // picker no longer receives it; the offscreen platform deactivates at
    // once, so the window is made inactive first and only the hiding remains.
    QApplication::setActiveWindow(nullptr);
    click(led->add_cl_btn);
    QVERIFY(picker->isVisible());
    QVERIFY(w.mask_side->isVisible());
    click(w.close_btn);
    QVERIFY(!w.isVisible());
    w.showWidget();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QVERIFY(picker->isHidden());
    QVERIFY(w.mask_side->isHidden());
    QVERIFY(led->mask_btn->isHidden());
    QVERIFY(!new_btn);

    // A click where the picker was picks nothing: no preset changes.
    const int mark = sentReports().size();
    pickInWindow(QPoint(65, 10));
    QCOMPARE(int(color_num), 4);
    QCOMPARE(QColor(two->rgb_r, two->rgb_g, two->rgb_b), changed);
    const auto keys = fileKeys();
    QCOMPARE(QColor(keys.value("COLOR2/Red").toInt(), keys.value("COLOR2/Green").toInt(),
                    keys.value("COLOR2/Blue").toInt()),
             changed);
    QCOMPARE(keys.value("USER_COLOR/Num"), QString("4"));
    QVERIFY(commandsSince(mark).isEmpty());

    // Opened again, "+" adds.
    click(led->add_cl_btn);
    pickInWindow(QPoint(65, 10));
    QCOMPARE(int(color_num), 5);
    QCOMPARE(QColor(two->rgb_r, two->rgb_g, two->rgb_b), changed);
}

void Presets::installedProgramFolderIsNotWritten()
{
#ifdef Q_OS_LINUX
    // <prefix>/lib/kivomouse belongs to the installation even where it is
    // writable (run as root, a prefix in the home folder): purging the package
    // would leave a file written there behind, and its folder with it.
    const QString program = dir->filePath("prefix/lib/kivomouse");
    const QString config = dir->filePath("config");
    QDir().mkpath(program);
    {
        QSettings shipped(program + "/user_color.ini", QSettings::IniFormat);
        shipped.setValue("USER_COLOR/Num", 1);
    }
    const QByteArray oldConfig = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", config.toLocal8Bit());
    page.reset(new led_Widget);
    page->init_user_color(program);
    page->front_mode_btn->button(2)->setChecked(true); // breath: the row is live
    page->show();
    QTest::mouseClick(page->add_cl_btn, Qt::LeftButton);
    pick(QPoint(65, 65));
    settings->sync();
    const QString used = settings->fileName();
    qputenv("XDG_CONFIG_HOME", oldConfig);
    QVERIFY2(used.startsWith(config + "/"), qPrintable(used));
    QCOMPARE(QSettings(used, QSettings::IniFormat).value("USER_COLOR/Num").toInt(), 2);
    QCOMPARE(QSettings(program + "/user_color.ini", QSettings::IniFormat)
                 .value("USER_COLOR/Num")
                 .toInt(),
             1);
    QCOMPARE(QDir(program).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
             QStringList{"user_color.ini"});
#else
    QSKIP("The fallback folder is a Linux carry");
#endif
}

QTEST_MAIN(Presets)
#include "tst_presets.moc"
