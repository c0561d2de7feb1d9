#include "platform/autorun.h"
#include "window/system_tray.h"

#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &contents)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(contents);
}

QByteArray entryWithExec(const QByteArray &exec)
{
    return "[Desktop Entry]\nType=Application\nName=Kivo\nExec=" + exec + "\n";
}

// Everything below the temporary config folder, to prove reads write nothing.
QStringList filesUnder(const QString &dir)
{
    QStringList out;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

} // namespace

class TestTrayAutorun : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void readingWritesNothing();
    void onWritesAMatchingEntry();
    void onlyTheExactCommandCounts();
    void offKeepsTheEntryDisabled();
    void garbledEntriesCountAsOff();
    void execQuoting();

    void trayMenuAndTexts();
    void trayMirrorsAutorunAndWritesNothing();
    void traySignals();
    void logoutEndsTheEventLoop();

private:
    QTemporaryDir *config = nullptr;
    QString entry;
};

void TestTrayAutorun::init()
{
    config = new QTemporaryDir;
    QVERIFY(config->isValid());
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config->path()));
    entry = config->path() + QStringLiteral("/autostart/kivomouse.desktop");
    QCOMPARE(autorun::xdg::entry_path(), entry);
}

void TestTrayAutorun::cleanup()
{
    delete config;
    config = nullptr;
}

void TestTrayAutorun::readingWritesNothing()
{
    QVERIFY(!autorun::is_enabled());
    QVERIFY(filesUnder(config->path()).isEmpty());

    autorun::set_enabled(false);
    const QByteArray before = readAll(entry);
    QVERIFY(!before.isEmpty());
    QVERIFY(!autorun::is_enabled());
    QCOMPARE(readAll(entry), before);
    QCOMPARE(filesUnder(config->path()).size(), 2); // the folder and the entry
}

void TestTrayAutorun::onWritesAMatchingEntry()
{
    const QString app = QCoreApplication::applicationFilePath();
    if (!app.contains(QLatin1Char(' ')))
        QCOMPARE(autorun::expected_command(), app + QStringLiteral(" -h"));

    autorun::set_enabled(true);
    QVERIFY(autorun::is_enabled());
    const QByteArray text = readAll(entry);
    QVERIFY(text.startsWith("[Desktop Entry]\n"));
    QVERIFY(text.contains("\nType=Application\n"));
    QVERIFY(text.contains(QStringLiteral("\nName=Kivo游戏鼠标\n").toUtf8()));
    if (!app.contains(QLatin1Char(' ')))
        QVERIFY(text.contains("\nExec=" + QFile::encodeName(app) + " -h\n"));

    // Off then on again re-enables the same entry.
    autorun::set_enabled(false);
    autorun::set_enabled(true);
    QVERIFY(autorun::is_enabled());
}

void TestTrayAutorun::onlyTheExactCommandCounts()
{
    const QByteArray expected = autorun::expected_command().toUtf8();
    const QByteArray app = QCoreApplication::applicationFilePath().toUtf8();

    writeFile(entry, entryWithExec(expected));
    QVERIFY(autorun::is_enabled());

    const QByteArray others[] = {
        app,                        // started without the hidden option
        "/opt/old-install/kivo -h", // another installation
        expected.toUpper(),         // case differs
        expected + " ",             // trailing blank
        expected + " -h",           // extra argument
    };
    for (const QByteArray &exec : others) {
        writeFile(entry, entryWithExec(exec));
        QVERIFY2(!autorun::is_enabled(), exec.constData());
    }

    // Blanks around '=' are not part of the value.
    writeFile(entry, "[Desktop Entry]\nType=Application\nExec = " + expected + "\n");
    QVERIFY(autorun::is_enabled());
    // Not an application launcher: would not be started.
    writeFile(entry, "[Desktop Entry]\nType=Link\nExec=" + expected + "\n");
    QVERIFY(!autorun::is_enabled());
    // Exec in another group does not count.
    writeFile(entry,
              "[Desktop Entry]\nType=Application\n[Desktop Action x]\nExec=" + expected + "\n");
    QVERIFY(!autorun::is_enabled());
}

void TestTrayAutorun::offKeepsTheEntryDisabled()
{
    autorun::set_enabled(true);
    autorun::set_enabled(false);
    QVERIFY(QFileInfo::exists(entry));
    QVERIFY(!autorun::is_enabled());
    const QByteArray text = readAll(entry);
    QVERIFY(text.contains("\nHidden=true\n") ||
            text.contains("\nX-GNOME-Autostart-enabled=false\n"));

    // Either way of disabling is honoured in an entry written by hand.
    const QByteArray base = entryWithExec(autorun::expected_command().toUtf8());
    writeFile(entry, base + "Hidden=true\n");
    QVERIFY(!autorun::is_enabled());
    writeFile(entry, base + "X-GNOME-Autostart-enabled=false\n");
    QVERIFY(!autorun::is_enabled());
    writeFile(entry, base + "Hidden=false\nX-GNOME-Autostart-enabled=true\n");
    QVERIFY(autorun::is_enabled());
}

void TestTrayAutorun::garbledEntriesCountAsOff()
{
    const QByteArray good = entryWithExec(autorun::expected_command().toUtf8());
    QByteArray binary(300, '\0');
    for (int i = 0; i < binary.size(); ++i)
        binary[i] = char((i * 37 + 11) & 0xff);

    const QByteArray garbled[] = {
        QByteArray(),
        binary,
        good.left(good.indexOf("Exec=") + 3), // cut short
        "[Desktop Entry\n" + good.mid(16),    // broken group line
        good + "this line has no equals sign\n",
        good + "Exec=/somewhere/else -h\n", // repeated key
        "\xff\xfe" + good,                  // not UTF-8
        good + good,                        // repeated group
        good.left(good.size() - 1) + QByteArray(1, '\0') + "\n",
    };
    for (const QByteArray &contents : garbled) {
        writeFile(entry, contents);
        QVERIFY2(!autorun::is_enabled(), contents.left(40).toHex().constData());
    }

    // A folder where the entry should be, or an unreadable file, is off too.
    QFile::remove(entry);
    QDir().mkpath(entry);
    QVERIFY(!autorun::is_enabled());
}

void TestTrayAutorun::execQuoting()
{
    using namespace autorun::xdg;
    QCOMPARE(exec_argument(QStringLiteral("/usr/bin/kivo")), QStringLiteral("/usr/bin/kivo"));
    QCOMPARE(exec_argument(QStringLiteral("/opt/Kivo Mouse/kivo")),
             QStringLiteral("\"/opt/Kivo Mouse/kivo\""));
    QCOMPARE(exec_argument(QStringLiteral("/opt/a$b\"c`d\\e/kivo")),
             QStringLiteral("\"/opt/a\\$b\\\"c\\`d\\\\e/kivo\""));
    QCOMPARE(exec_argument(QStringLiteral("/opt/100%/kivo")), QStringLiteral("/opt/100%%/kivo"));

    // What is written reads back as exactly the same command, whatever the
    // path holds; and it does not match a command that differs only in quoting.
    const QString awkward[] = {
        QStringLiteral("/opt/Kivo Mouse/kivo"), QStringLiteral("/opt/a\\b $c/k\"ivo"),
        QStringLiteral("/opt/tab\there/kivo"),  QStringLiteral(" /lead/space"),
        QStringLiteral("/home/用户/kivo"),
    };
    for (const QString &path : awkward) {
        const QString exec = exec_argument(path) + QStringLiteral(" -h");
        QVERIFY2(entry_enabled(entry_text(exec), exec), qPrintable(path));
        if (exec_argument(path) != path)
            QVERIFY2(!entry_enabled(entry_text(exec), path + QStringLiteral(" -h")),
                     qPrintable(path));
    }
}

void TestTrayAutorun::trayMenuAndTexts()
{
    SystemTray tray;
    QCOMPARE(tray.toolTip(), QStringLiteral("Kivo游戏鼠标"));
    QVERIFY(tray.contextMenu());
    const QList<QAction *> actions = tray.contextMenu()->actions();
    QCOMPARE(actions.size(), 3);
    QCOMPARE(actions[0]->text(), QStringLiteral("显示"));
    QCOMPARE(actions[1]->text(), QStringLiteral("开机自启动"));
    QCOMPARE(actions[2]->text(), QStringLiteral("退出"));
    QVERIFY(!actions[0]->isCheckable());
    QVERIFY(actions[1]->isCheckable());
    QVERIFY(!actions[2]->isCheckable());
    for (QAction *a : actions)
        QCOMPARE(a->parent(), &tray);
}

void TestTrayAutorun::trayMirrorsAutorunAndWritesNothing()
{
    {
        SystemTray tray;
        QVERIFY(!tray.contextMenu()->actions()[1]->isChecked());
    }
    QVERIFY(filesUnder(config->path()).isEmpty());

    // The same path without the option is not autorun.
    writeFile(entry, entryWithExec(QCoreApplication::applicationFilePath().toUtf8()));
    {
        SystemTray tray;
        QVERIFY(!tray.contextMenu()->actions()[1]->isChecked());
    }

    autorun::set_enabled(true);
    const QByteArray before = readAll(entry);
    {
        SystemTray tray;
        QVERIFY(tray.contextMenu()->actions()[1]->isChecked());
    }
    QCOMPARE(readAll(entry), before);
}

void TestTrayAutorun::traySignals()
{
    SystemTray tray;
    QSignalSpy open(&tray, &SystemTray::sys_openClicked);
    QSignalSpy autorunSpy(&tray, &SystemTray::sys_setAutorun);
    const QList<QAction *> actions = tray.contextMenu()->actions();

    actions[0]->trigger();
    QCOMPARE(open.count(), 1);

    actions[1]->trigger();
    actions[1]->trigger();
    QCOMPARE(autorunSpy.count(), 2);
    QCOMPARE(autorunSpy[0][0].toBool(), true);
    QCOMPARE(autorunSpy[1][0].toBool(), false);
    QCOMPARE(open.count(), 1);

    // The tray only reports the wish; storing it is the window's job.
    QVERIFY(filesUnder(config->path()).isEmpty());
}

void TestTrayAutorun::logoutEndsTheEventLoop()
{
    SystemTray tray;
    QAction *logout = tray.contextMenu()->actions()[2];
    QSignalSpy aboutToQuit(qApp, &QCoreApplication::aboutToQuit);
    QTimer::singleShot(0, logout, &QAction::trigger);
    // Safety net only: a working "退出" ends the loop long before this.
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(42); });
    guard.start(30000);
    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(aboutToQuit.count(), 1);
}

QTEST_MAIN(TestTrayAutorun)
#include "tst_tray_autorun.moc"
