// artcheck: loads, through the compiled resource list, every picture name the
// program asks for, and checks sizes and the mask rules the window relies on.

#include <QGuiApplication>
#include <QImage>
#include <QStringList>

#include <cstdio>

static int failures = 0;

static QImage load(const QString &name, QSize size = QSize())
{
    QImage im(name);
    if (im.isNull()) {
        std::printf("MISSING %s\n", qPrintable(name));
        ++failures;
    } else if (size.isValid() && im.size() != size) {
        std::printf("SIZE %s is %dx%d, expected %dx%d\n", qPrintable(name), im.width(), im.height(),
                    size.width(), size.height());
        ++failures;
    }
    return im.convertToFormat(QImage::Format_ARGB32);
}

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QSize view(600, 390);
    for (const char *v : {"axis", "top", "side", "rear"})
        load(QString(":/img/") + v, view);
    for (const char *v :
         {"axis_wheel", "top_wheel", "side_wheel", "axis_rear", "side_rear", "rear_rear"}) {
        QImage m = load(QString(":/img/") + v, view);
        // a mask is white where lit and all-zero elsewhere
        int lit = 0;
        for (int y = 0; y < m.height(); ++y)
            for (int x = 0; x < m.width(); ++x) {
                QRgb p = m.pixel(x, y);
                if (p == 0) continue;
                ++lit;
                if ((p & 0xffffff) != 0xffffff) {
                    std::printf("MASK %s has a coloured pixel at %d,%d\n", v, x, y);
                    ++failures;
                    y = m.height();
                    break;
                }
            }
        if (lit == 0) {
            std::printf("MASK %s is empty\n", v);
            ++failures;
        }
    }
    for (const char *v : {"top_rear", "rear_wheel"})
        if (!QImage(QString(":/img/") + v).isNull()) {
            std::printf("UNEXPECTED %s\n", v);
            ++failures;
        }
    for (const char *v : {"axis_rear_magic", "side_rear_magic", "rear_rear_magic"})
        load(QString(":/img/") + v, view);
    for (const char *f : {"t_a", "s_a", "s_t", "r_a", "r_t", "s_r"})
        for (int n = 1; n <= 14; ++n)
            load(QString(":/img/%1/%2").arg(f).arg(n), view);

    for (const char *n : {"主页", "鼠标键设置", "灯光设置", "指针速度", "设置"}) {
        load(QString(":/img/") + QString::fromUtf8(n), QSize(16, 16));
        load(QString(":/img/") + QString::fromUtf8(n) + "_s", QSize(16, 16));
    }
    for (const char *n : {"prog_key", "micro_switch", "double_mode", "ergonomics", "light_sensor",
                          "aim_key", "rgb_light", "fast_report"})
        load(QString(":/img/mainpage/") + n, QSize(24, 24));
    const struct {
        const char *name;
        int w, h;
    } sized[] = {{"min.png", 12, 12},
                 {"min_hover.png", 12, 12},
                 {"close.png", 12, 12},
                 {"close_hover.png", 12, 12},
                 {"logo", 25, 28},
                 {"background", 1100, 750},
                 {"radiobutton20x20.png", 20, 20},
                 {"radiobutton20x20_selected.png", 20, 20},
                 {"radiobutton16x16.png", 16, 16},
                 {"radiobutton16x16_selected.png", 16, 16},
                 {"del.png", 8, 8},
                 {"add.png", 8, 8},
                 {"keyup.png", 16, 16},
                 {"keydown.png", 16, 16},
                 {"timer.png", 16, 16},
                 {"刻度", 252, 10},
                 {"light_speed", 350, 9},
                 {"color_select", 21, 21},
                 {"picker_bg", 230, 220},
                 {"picker_close.png", 10, 10},
                 {"picker_close_hover.png", 10, 10},
                 {"update_bg", 826, 556},
                 {"reset_confirm", 826, 556},
                 {"update_icon", 122, 122},
                 {"update_finish_icon", 122, 122},
                 {"update", 6, 6},
                 {"right_arrow", 9, 14},
                 {"sys_config", 920, 100},
                 {"SysTrayIcon", 64, 64}};
    for (const auto &s : sized)
        load(QString(":/img/") + QString::fromUtf8(s.name), QSize(s.w, s.h));
    for (const char *e : {"off", "on", "breath", "run", "magic"}) {
        load(QString(":/img/") + e + ".png", QSize(14, 14));
        load(QString(":/img/") + e + "_s.png", QSize(14, 14));
    }
    std::printf(failures ? "%d problem(s)\n" : "all pictures present\n", failures);
    return failures ? 1 : 0;
}
