// The window in both of its languages: the one the desktop asks for, and every
// page, panel, editor and dialog built in each, with every label's and
// button's text fitting its box.
#include "virtualmouse.h"

#include "i18n/language.h"
#include "pages/buttons/button_widget.h"
#include "pages/buttons/micro_widget.h"
#include "pages/lighting/led_widget.h"
#include "pages/pointer/pointer_widget.h"
#include "pages/settings/config_widget.h"
#include "pages/settings/confirm_dialog.h"
#include "pages/settings/update_dialog.h"
#include "window/disconnect_widget.h"
#include "window/hoverbtn.h"
#include "window/mainpage.h"
#include "window/navbtn.h"
#include "window/system_tray.h"
#include "window/z9ktool.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QTranslator>
#include <QtMath>
#include <QtTest>

namespace
{

// Chinese characters and the full-width punctuation that goes with them.
bool has_chinese(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if ((u >= 0x2e80 && u <= 0x9fff) || (u >= 0xf900 && u <= 0xfaff) ||
            (u >= 0xff00 && u <= 0xffef))
            return true;
    }
    return false;
}

int text_width(const QFont &font, const QString &text, bool rich)
{
    if (rich) {
        QTextDocument doc;
        doc.setDefaultFont(font);
        doc.setDocumentMargin(0); // as a label lays its rich text out
        doc.setHtml(text);
        return qCeil(doc.idealWidth());
    }
    int widest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        widest = qMax(widest, QFontMetrics(font).horizontalAdvance(line));
    return widest;
}

// Rows of ink a line of plain text puts outside its box, laid out as the
// style lays it: top, bottom or centred on the box.
int ink_outside(const QFont &font, const QString &text, const QRect &box, Qt::Alignment align)
{
    const QFontMetrics fm(font);
    const int lines = text.count(QLatin1Char('\n')) + 1;
    const int height = fm.height() + (lines - 1) * fm.lineSpacing();
    qreal top = box.top();
    if (align & Qt::AlignBottom)
        top = box.bottom() + 1 - height;
    else if (!(align & Qt::AlignTop))
        top = box.top() + (box.height() - height) / 2.0;
    if (lines > 1) return qMax(0, height - box.height());
    const QRect ink = fm.tightBoundingRect(text);
    const qreal baseline = top + fm.ascent();
    const int above = qCeil(box.top() - (baseline + ink.top()));
    const int below = qCeil(baseline + ink.bottom() + 1 - (box.bottom() + 1));
    return qMax(0, qMax(above, below));
}

QString where(const QWidget *w)
{
    QString name = w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className())
                                             : w->objectName();
    if (const QWidget *p = w->parentWidget())
        name += QStringLiteral(" in ") + p->metaObject()->className();
    return name;
}

// Checks one widget's text against the box it is drawn in: wide enough, and
// no ink above or below it. Each offender, and each Chinese text in English,
// goes to *bad, named.
void check_widget(QWidget *w, bool english, const QString &state, QStringList *bad)
{
    w->ensurePolished();
    QString text;
    QFont font = w->font();
    QRect box;
    Qt::Alignment align = Qt::AlignVCenter;
    bool rich = false;
    int extra = 0; // an icon beside the text
    if (auto *nav = qobject_cast<Navbtn *>(w)) {
        font.setPixelSize(14); // painted by hand
        text = nav->btntext;
        box = Navbtn::textRect();
    } else if (auto *tile = qobject_cast<hoverbtn *>(w)) {
        font = QFont(QStringLiteral("微软雅黑"));
        font.setPixelSize(12);
        text = tile->text;
        box = tile->captionRect();
    } else if (auto *label = qobject_cast<QLabel *>(w)) {
        text = label->text();
        rich = label->textFormat() == Qt::RichText ||
               (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(text));
        box = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(),
                                             -label->margin());
        align = label->alignment();
    } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(radio);
        opt.text = text = radio->text();
        box = radio->style()->subElementRect(QStyle::SE_RadioButtonContents, &opt, radio);
    } else if (auto *button = qobject_cast<QPushButton *>(w)) {
        QStyleOptionButton opt;
        opt.initFrom(button);
        opt.text = text = button->text();
        opt.icon = button->icon();
        opt.iconSize = button->iconSize();
        if (button->isFlat()) opt.features |= QStyleOptionButton::Flat;
        if (!opt.icon.isNull() && !text.isEmpty()) extra = opt.iconSize.width() + 4;
        box = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    }
    if (english && (has_chinese(text) || has_chinese(w->toolTip())))
        bad->append(QStringLiteral("%1: %2 \"%3\" (tip \"%4\") is not in English")
                        .arg(state, where(w), text, w->toolTip()));
    if (text.isEmpty()) return;
    const int need = text_width(font, text, rich) + extra;
    if (need > box.width())
        bad->append(QStringLiteral("%1: %2 \"%3\" needs %4 px, has %5")
                        .arg(state, where(w), text)
                        .arg(need)
                        .arg(box.width()));
    const int cut = rich ? 0 : ink_outside(font, text, box, align);
    if (cut > 0)
        bad->append(QStringLiteral("%1: %2 \"%3\" has %4 px outside its %5-pixel height")
                        .arg(state, where(w), text)
                        .arg(cut)
                        .arg(box.height()));
}

void check_tree(QWidget *root, bool english, const QString &state, QStringList *bad)
{
    check_widget(root, english, state, bad);
    for (QWidget *w : root->findChildren<QWidget *>())
        check_widget(w, english, state, bad);
}

// The flash dialog's texts as each packet goes out.
z9ktool *flashing = nullptr;
bool flashingEnglish = false;
QStringList *flashBad = nullptr;
QStringList flashTexts;

unsigned watchingWrite(int len, unsigned char *buf)
{
    if (flashing && len == 63) {
        const QString text = flashing->update_confirm->text_1->text();
        if (!flashTexts.contains(text)) {
            flashTexts << text;
            check_tree(flashing->update_confirm, flashingEnglish, QStringLiteral("flashing"),
                       flashBad);
        }
    }
    return WrtieConfig(len, buf);
}

QByteArray be32(quint32 v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    return QByteArray(b, 4);
}

// An image the virtual mouse accepts, two chunks long, running version 2.3.4.
QByteArray firmware_image()
{
    const QByteArray mcu =
        (QByteArray("KIVO\x02\x03\x04", 7) + QByteArray(7, '\0') + QByteArray(98, '\x5a'));
    QByteArray f(14, 'x');
    for (int len : {0, 0, int(mcu.size())})
        f += QByteArray("R") + char(1) + be32(quint32(len)) + QByteArray(9, 'z');
    return f + mcu;
}

bool write_file(const QString &name, const QByteArray &bytes)
{
    QFile f(name);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

} // namespace

class I18n : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void languageFollowsTheDesktop_data();
    void languageFollowsTheDesktop();
    void everyTextFits_data();
    void everyTextFits();

private:
    QTemporaryDir m_dir;
};

void I18n::initTestCase()
{
    QVERIFY(bindVirtualMouse());
    QVERIFY(m_dir.isValid());
    QDir::setCurrent(m_dir.path());
    // The program's font, as start-up sets it.
    qApp->setFont(QFont(QStringLiteral("微软雅黑")));
}

void I18n::languageFollowsTheDesktop_data()
{
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<bool>("english");
    const struct {
        const char *name;
        const char *environment;
        bool english;
    } rows[] = {
        {"nothing set", "", false},
        {"C", "LANG=C", false},
        {"POSIX", "LC_ALL=POSIX", false},
        {"C.UTF-8", "LANG=C.UTF-8", false},
        {"Chinese", "LANG=zh_CN.UTF-8", false},
        {"Taiwanese", "LANG=zh_TW.UTF-8", false},
        {"English", "LANG=en_US.UTF-8", true},
        {"German", "LANG=de_DE.UTF-8", true},
        {"LANGUAGE=en in the C locale", "LANGUAGE=en LANG=C", true},
        {"LANGUAGE=en over Chinese", "LANGUAGE=en LANG=zh_CN.UTF-8", true},
        {"LANGUAGE=zh over English", "LANGUAGE=zh_CN:en LANG=en_US.UTF-8", false},
        {"first of LANGUAGE counts", "LANGUAGE=fr:zh_CN LANG=zh_CN.UTF-8", true},
        {"empty LANGUAGE ignored", "LANGUAGE= LANG=de_DE.UTF-8", true},
        {"LC_ALL over LANG (zh)", "LC_ALL=zh_HK.UTF-8 LANG=en_GB.UTF-8", false},
        {"LC_ALL over LANG (fr)", "LC_ALL=fr_FR.UTF-8 LANG=zh_CN.UTF-8", true},
        {"LC_ALL=C over LANG", "LC_ALL=C LANG=de_DE.UTF-8", false},
        {"LC_MESSAGES over LANG (zh)", "LC_MESSAGES=zh_CN.UTF-8 LANG=en_US.UTF-8", false},
        {"LC_MESSAGES over LANG (en)", "LC_MESSAGES=en_GB.UTF-8 LANG=zh_CN.UTF-8", true},
    };
    for (const auto &r : rows)
        QTest::newRow(r.name)
            << QString::fromLatin1(r.environment).split(QLatin1Char(' '), Qt::SkipEmptyParts)
            << r.english;
}

// The program itself, started in each locale: the box it shows when the
// library is missing is the first text it has, so its translator is in by then.
void I18n::languageFollowsTheDesktop()
{
    QFETCH(QStringList, environment);
    QFETCH(bool, english);
    QTemporaryDir tmp; // a marker of its own, whatever else runs
    QVERIFY(tmp.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"})
        env.remove(QString::fromLatin1(name));
    for (const QString &setting : environment)
        env.insert(setting.section(QLatin1Char('='), 0, 0), setting.section(QLatin1Char('='), 1));
    env.insert(QStringLiteral("VELQA_LIBRARY"), m_dir.filePath(QStringLiteral("none.so")));
    env.insert(QStringLiteral("KIVO_AUTOCLOSE_BOXES"), QStringLiteral("1"));
    env.insert(QStringLiteral("TMPDIR"), tmp.path());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(KIVO_EXECUTABLE), QStringList());
    QVERIFY(p.waitForFinished(30000));
    const QByteArray err = p.readAllStandardError();
    const QByteArray expected =
        english ? "| Could not load the device library (velqa)!" : "| Load VELQA.dll fail!";
    QVERIFY2(err.contains(expected), err.constData());
}

void I18n::everyTextFits_data()
{
    QTest::addColumn<QString>("language");
    QTest::addColumn<QString>("reset");
    QTest::newRow("Chinese") << QStringLiteral("zh") << QStringLiteral("恢复出厂设置");
    QTest::newRow("English") << QStringLiteral("en") << QStringLiteral("Factory reset");
}

void I18n::everyTextFits()
{
    QFETCH(QString, language);
    QFETCH(QString, reset);
    const bool english = language == QLatin1String("en");
    QScopedPointer<QTranslator> translator(load_translation(language, nullptr));
    QCOMPARE(translator.isNull(), !english);
    if (english) QVERIFY(qApp->installTranslator(translator.data()));

    freshMouse();
    device_attached = 0;
    mouse_status = after_status = 0;
    QStringList bad;
    {
        z9ktool w;
        attach_at_start(w);
        QVERIFY(device_attached);
        w.btnpage.get();
        w.ledpage.get();
        w.pointerpage.get();
        // The sources' UTF-8 reaches the window unchanged, or its English does.
        QCOMPARE(w.reset_btn->text(), reset);
        check_tree(&w, english, QStringLiteral("built"), &bad);
        if (english) {
            QStringList shell{w.windowTitle(), w.system_tray->toolTip()};
            for (QAction *a : w.system_tray->contextMenu()->actions())
                shell << a->text();
            for (const QString &t : shell)
                if (has_chinese(t)) bad << QStringLiteral("window or tray: \"%1\"").arg(t);
        }

        // The welcome page's description of each tile.
        for (int n = 0; n < 8; ++n) {
            hoverbtn *tile = w.mainpage->findChildren<hoverbtn *>().value(n);
            QVERIFY(tile);
            QEvent enter(QEvent::Enter), leave(QEvent::Leave);
            QCoreApplication::sendEvent(tile, &enter);
            check_tree(w.mainpage->text, english, QStringLiteral("tile %1").arg(n + 1), &bad);
            QCoreApplication::sendEvent(tile, &leave);
        }

        // The no-device page's two instructions.
        w.disconnectpage->show_access_hint(
            QStringLiteral("/usr/local/lib/udev/rules.d/70-kivo-z9k.rules"));
        check_tree(w.disconnectpage, english, QStringLiteral("locked mouse"), &bad);
        w.disconnectpage->show_plug_instruction();

        // The recorder while it records, with delays in its list.
        micro_Widget *micro = w.btnpage->micro_area;
        micro->rec_delay_btn->setChecked(true);
        micro->record_btn->click();
        micro->record_keys(0x41, KEY_DOWN);
        micro->record_keys(0x41, KEY_UP);
        check_tree(micro, english, QStringLiteral("recording"), &bad);
        micro->record_btn->click();
        for (int i = 0; i < micro->records_list->count(); ++i)
            if (english && has_chinese(micro->records_list->item(i)->text()))
                bad << QStringLiteral("macro list: \"%1\"")
                           .arg(micro->records_list->item(i)->text());

        // The colour row in manage mode.
        w.ledpage->del_btn->click();
        check_tree(w.ledpage, english, QStringLiteral("managing colours"), &bad);
        w.ledpage->del_btn->click();

        // Both update offers, then the flash dialog's refusals and a whole flash.
        QVERIFY(write_file(QStringLiteral("KIVOMouse-PC-V9.9.9.exe"), "program"));
        w.UpdateFound(QStringLiteral("KIVOMouse-PC-V9.9.9.exe"));
        QVERIFY(write_file(QStringLiteral("KIVOMouse_USB.bin"), "cut"));
        w.FWUpdateFound(QStringLiteral("KIVOMouse_USB.bin"));
        check_tree(w.configpage, english, QStringLiteral("offers"), &bad);
        w.reset_btn->click();
        check_tree(w.reset_confirm, english, QStringLiteral("reset dialog"), &bad);
        w.reset_confirm->cancel_btn->click();

        Update_Dialog *dlg = w.update_confirm;
        dlg->show_dialog();
        check_tree(dlg, english, QStringLiteral("update dialog"), &bad);
        dlg->start_btn->click();
        check_tree(dlg, english, QStringLiteral("damaged image"), &bad);
        w.fwfile = QStringLiteral("gone.bin");
        dlg->show_dialog();
        dlg->start_btn->click();
        check_tree(dlg, english, QStringLiteral("missing image"), &bad);
        QVERIFY(write_file(QStringLiteral("KIVOMouse_USB.bin"), firmware_image()));
        w.FWUpdateFound(QStringLiteral("KIVOMouse_USB.bin"));
        w.fw_version_str = QStringLiteral("2.3.4");
        dlg->show_dialog();
        flashing = &w;
        flashingEnglish = english;
        flashBad = &bad;
        flashTexts.clear();
        const auto writeConfig = m_WriteConfig;
        m_WriteConfig = watchingWrite;
        dlg->start_btn->click();
        m_WriteConfig = writeConfig;
        flashing = nullptr;
        QVERIFY2(flashTexts.size() >= 3, qPrintable(flashTexts.join(QLatin1Char('|'))));
        check_tree(dlg, english, QStringLiteral("flashed"), &bad);
        QCOMPARE(dlg->text_2->text(), english ? QStringLiteral("Current version V2.3.4")
                                              : QStringLiteral("当前版本V2.3.4"));

        // Texts of paths not driven here, in the label that shows them.
        for (const char *source : {"无法读取固件文件", "固件升级失败，请重新更新"}) {
            dlg->text_1->setText(QCoreApplication::translate("z9ktool", source));
            check_widget(dlg->text_1, english, QStringLiteral("refusal"), &bad);
        }
    }
    if (english) qApp->removeTranslator(translator.data());
    QVERIFY2(bad.isEmpty(), qPrintable(bad.join(QLatin1Char('\n'))));
}

QTEST_MAIN(I18n)
#include "tst_i18n.moc"
