#include "window/disconnect_widget.h"
#include "window/hoverbtn.h"
#include "window/mainpage.h"

#include <QLabel>
#include <QVariantAnimation>
#include <QtTest>

namespace
{

const QString welcome = QStringLiteral("欢迎使用Kivo游戏鼠标!");
const QString welcomeStyle = QStringLiteral("font-size:20px;color:rgba(255,255,255,0.3)");
const QString describeStyle =
    QStringLiteral("font-size:12px;color:rgba(255,255,255,0.3);text-align:center;");

void enter(QWidget *w)
{
    QEvent e(QEvent::Enter);
    QCoreApplication::sendEvent(w, &e);
}

void leave(QWidget *w)
{
    QEvent e(QEvent::Leave);
    QCoreApplication::sendEvent(w, &e);
}

QList<hoverbtn *> tiles(const Mainpage &page)
{
    return {page.feture1, page.feture2, page.feture3, page.feture4,
            page.feture5, page.feture6, page.feture7, page.feture8};
}

} // namespace

class TestWelcomePages : public QObject
{
    Q_OBJECT
private slots:
    void welcomeLayout();
    void hoverShowsDescriptions();
    void movingToTheNeighbourShowsItsDescription();
    void tileRisesAndSinks();
    void leaveDuringTheRiseSinksFromThere();
    void noDevicePage();
};

void TestWelcomePages::welcomeLayout()
{
    Mainpage page;
    QCOMPARE(page.size(), QSize(920, 750));
    QCOMPARE(page.text->geometry(), QRect(0, 420, 920, 60));
    QCOMPARE(page.text->text(), welcome);
    QCOMPARE(page.text->styleSheet(), welcomeStyle);
    QCOMPARE(page.text->alignment(), Qt::AlignCenter);

    const QStringList captions = {"可编程按键", "微动设计", "双模切换", "人体工学设计",
                                  "光学传感器", "瞄准键",   "炫彩灯光", "高报告速率"};
    const QStringList icons = {"prog_key",     "micro_switch", "double_mode", "ergonomics",
                               "light_sensor", "aim_key",      "rgb_light",   "fast_report"};
    const QList<hoverbtn *> all = tiles(page);
    for (int n = 0; n < 8; ++n) {
        QCOMPARE(all[n]->geometry(), QRect(108 + 90 * n, 530, 90, 110));
        QCOMPARE(all[n]->text, captions[n]);
        QCOMPARE(all[n]->iconpath, QStringLiteral(":/img/mainpage/") + icons[n]);
        QCOMPARE(all[n]->space, 10);
        QCOMPARE(all[n]->lift(), 0);
    }
}

void TestWelcomePages::hoverShowsDescriptions()
{
    Mainpage page;
    QStringList seen;
    for (hoverbtn *tile : tiles(page)) {
        enter(tile);
        QCOMPARE(page.text->styleSheet(), describeStyle);
        QVERIFY(
            page.text->text().startsWith(QStringLiteral("<p style=\"margin:4px\">Kivo游戏鼠标")));
        QVERIFY(!seen.contains(page.text->text()));
        seen << page.text->text();
        leave(tile);
        QCOMPARE(page.text->text(), welcome);
        QCOMPARE(page.text->styleSheet(), welcomeStyle);
    }

    // One description in full, to pin down the paragraph markup.
    enter(page.feture3);
    QCOMPARE(
        page.text->text(),
        QStringLiteral("<p style=\"margin:4px\">Kivo游戏鼠标具有有线／2.4G 无线两种模式。</p>"
                       "<p style=\"margin:4px\">娱乐时选择有线连接方式，更具稳定性，传输速度超快，"
                       "是玩家手中的游戏利器。</p>"
                       "<p style=\"margin:4px\">切换到无线模式时，Kivo游戏鼠标也可以成为你娱乐、"
                       "办公的得力助手。</p>"));

    // Called by something that is not a tile: nothing to describe, nothing breaks.
    page.show_welcome();
    page.change_label();
    QCOMPARE(page.text->text(), welcome);
}

void TestWelcomePages::movingToTheNeighbourShowsItsDescription()
{
    Mainpage page;
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));

    QTest::mouseMove(&page, page.feture4->geometry().center());
    QTRY_VERIFY(page.text->text().contains(QStringLiteral("人体工程学设计")));
    QTest::mouseMove(&page, page.feture5->geometry().center());
    QTRY_VERIFY(page.text->text().contains(QStringLiteral("7200dpi")));
    QCOMPARE(page.text->styleSheet(), describeStyle);
    QTest::mouseMove(&page, QPoint(460, 100));
    QTRY_COMPARE(page.text->text(), welcome);
    QCOMPARE(page.text->styleSheet(), welcomeStyle);
}

void TestWelcomePages::tileRisesAndSinks()
{
    hoverbtn tile;
    QSignalSpy in(&tile, &hoverbtn::in);
    QSignalSpy out(&tile, &hoverbtn::out);

    enter(&tile);
    QCOMPARE(in.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(tile.lift(), 10, 5000);
    leave(&tile);
    QCOMPARE(out.count(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(tile.lift(), 0, 5000);

    // A stray leave at rest must not flash the disc up to the top.
    auto *animation = tile.findChild<QVariantAnimation *>();
    QVERIFY(animation);
    int highest = 0;
    connect(animation, &QVariantAnimation::valueChanged, this,
            [&](const QVariant &v) { highest = qMax(highest, v.toInt()); });
    leave(&tile);
    QTest::qWait(50);
    QCOMPARE(highest, 0);
    QCOMPARE(tile.lift(), 0);
}

void TestWelcomePages::leaveDuringTheRiseSinksFromThere()
{
    hoverbtn tile;
    auto *animation = tile.findChild<QVariantAnimation *>();
    QVERIFY(animation);
    QCOMPARE(animation->duration(), 200);

    enter(&tile);
    QCOMPARE(animation->state(), QAbstractAnimation::Running);
    // Put the running rise halfway without letting the clock run, so the
    // moment of leaving does not depend on timing.
    animation->setCurrentTime(100);
    const int atLeave = tile.lift();
    QVERIFY(atLeave >= 1 && atLeave <= 9);

    int highest = atLeave;
    connect(animation, &QVariantAnimation::valueChanged, this,
            [&](const QVariant &v) { highest = qMax(highest, v.toInt()); });
    leave(&tile);
    QTRY_COMPARE_WITH_TIMEOUT(tile.lift(), 0, 5000);
    QCOMPARE(highest, atLeave);
}

void TestWelcomePages::noDevicePage()
{
    disconnect_Widget page;
    QCOMPARE(page.size(), QSize(920, 750));
    QLabel *status = nullptr;
    QLabel *instruction = nullptr;
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (label->text() == QStringLiteral("未检测到设备"))
            status = label;
        else if (label->text() == QStringLiteral("请检查Kivo鼠标是否插入"))
            instruction = label;
    }
    QVERIFY(status && instruction);
    QCOMPARE(status->geometry(), QRect(0, 0, 920, 375));
    QCOMPARE(status->styleSheet(), QStringLiteral("font-size:24px;color:rgba(255,255,255,0.9)"));
    QCOMPARE(status->alignment(), Qt::AlignBottom | Qt::AlignHCenter);
    QCOMPARE(instruction->geometry(), QRect(0, 376, 920, 750));
    QCOMPARE(instruction->styleSheet(),
             QStringLiteral("font-size:16px;color:rgba(255,255,255,0.3)"));
    QCOMPARE(instruction->alignment(), Qt::AlignTop | Qt::AlignHCenter);
    QCOMPARE(page.findChildren<QLabel *>().size(), 3);
}

QTEST_MAIN(TestWelcomePages)
#include "tst_welcome_pages.moc"
