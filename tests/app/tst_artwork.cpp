// Every picture the program names resolves in the compiled resources, and the
// pictures the window computes with have the shape that computation needs.
#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QRegularExpression>
#include <QTest>

class Artwork : public QObject
{
    Q_OBJECT
private slots:
    void everyNamedPictureExists();
    void computedNamesExist();
    void viewsAndMasksShareOneGeometry();
    void masksHoldTheirLitArea();
};

void Artwork::everyNamedPictureExists()
{
    // Literal names in the sources and style sheets, with or without quotes.
    static const QRegularExpression name(QStringLiteral(":/img/[^\"'()%;\\s]+"));
    QStringList missing;
    int seen = 0;
    QDirIterator it(QStringLiteral(APP_SOURCE_DIR), {"*.cpp", "*.h"}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(f.readAll());
        for (auto m = name.globalMatch(text); m.hasNext();) {
            const QString path = m.next().captured();
            if (path.endsWith('/')) continue; // a prefix the code completes
            ++seen;
            if (!QFile::exists(path)) missing << path;
        }
    }
    QVERIFY(seen > 30);
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
}

void Artwork::computedNamesExist()
{
    QStringList missing;
    for (const char *label : {"主页", "鼠标键设置", "灯光设置", "指针速度", "设置"})
        for (const char *state : {"", "_s"}) {
            const QString path = QStringLiteral(":/img/") + QString::fromUtf8(label) + state;
            if (!QFile::exists(path)) missing << path;
        }
    for (const char *folder : {"t_a", "s_a", "s_t", "r_a", "r_t", "s_r"})
        for (int frame = 1; frame <= 14; ++frame) {
            const QString path = QStringLiteral(":/img/%1/%2").arg(folder).arg(frame);
            if (!QFile::exists(path)) missing << path;
        }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ')));
}

void Artwork::viewsAndMasksShareOneGeometry()
{
    // Masks are laid exactly over the picture, so all share its size.
    const QStringList names = {"axis",
                               "top",
                               "side",
                               "rear",
                               "axis_wheel",
                               "top_wheel",
                               "side_wheel",
                               "axis_rear",
                               "side_rear",
                               "rear_rear",
                               "axis_rear_magic",
                               "side_rear_magic",
                               "rear_rear_magic",
                               "t_a/7",
                               "s_r/14"};
    for (const QString &n : names) {
        const QImage img(":/img/" + n);
        QVERIFY2(img.size() == QSize(600, 390), qPrintable(n));
        QVERIFY2(img.hasAlphaChannel(), qPrintable(n));
    }
}

void Artwork::masksHoldTheirLitArea()
{
    // The wheel and most rear masks are tinted wherever they are not empty;
    // the rear view's mask where it is pure white, so it must hold white.
    auto count = [](const QString &n, bool whiteOnly) {
        QImage img = QImage(":/img/" + n).convertToFormat(QImage::Format_ARGB32);
        int hits = 0;
        for (int y = 0; y < img.height(); ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(img.constScanLine(y));
            for (int x = 0; x < img.width(); ++x)
                hits += whiteOnly ? (line[x] & 0xFFFFFF) == 0xFFFFFF : line[x] != 0;
        }
        return hits;
    };
    for (const char *n : {"axis_wheel", "top_wheel", "side_wheel", "axis_rear", "side_rear"})
        QVERIFY2(count(n, false) > 50, n);
    QVERIFY(count("rear_rear", true) > 500);
    // Everything visible in the rear view's mask is lit, so nothing else in it
    // would be left untinted.
    QCOMPARE(count("rear_rear", false), count("rear_rear", true));
}

QTEST_GUILESS_MAIN(Artwork)
#include "tst_artwork.moc"
