// artgen <outdir> [--views]
// Writes every picture of the program's resources plus the resource list
// img.qrc into <outdir> (normally app/img), and the larger menu icon into
// <outdir>/menu (installed, not compiled in). --views writes only the four
// mouse views, for a quick look while working on the model.

#include "icons.h"
#include "mouse3d.h"
#include "quantize.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

using namespace art;

namespace
{

const int kW = 600, kH = 390;

struct Entry {
    QString name;
    bool withSuffixAlias;
};

std::mutex g_listLock;
std::vector<Entry> g_entries;

bool save(const QString &dir, const QString &name, const QImage &img, bool suffixAlias, bool reduce)
{
    QString path = dir + "/" + name + ".png";
    QDir().mkpath(QFileInfo(path).absolutePath());
    QImage out = reduce ? quantize(img) : img;
    if (!out.save(path, "PNG", 0)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::lock_guard<std::mutex> lock(g_listLock);
    g_entries.push_back({name, suffixAlias});
    return true;
}

// Runs the jobs on every core; each job writes its own files.
void runAll(const std::vector<std::function<void()>> &jobs)
{
    std::atomic<size_t> next{0};
    unsigned n = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned i = 0; i < n; ++i)
        pool.emplace_back([&] {
            for (size_t k; (k = next++) < jobs.size();)
                jobs[k]();
        });
    for (auto &t : pool)
        t.join();
}

void writeQrc(const QString &dir)
{
    std::sort(g_entries.begin(), g_entries.end(),
              [](const Entry &a, const Entry &b) { return a.name < b.name; });
    QFile f(dir + "/img.qrc");
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "cannot write img.qrc\n");
        return;
    }
    QTextStream s(&f);
    s.setCodec("UTF-8");
    // The program asks for most pictures without the ".png" ending and for a
    // few, mostly from style sheets, with it; both names lead to one file.
    s << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/img\">\n";
    for (const Entry &e : g_entries) {
        s << "    <file alias=\"" << e.name << "\">" << e.name << ".png</file>\n";
        if (e.withSuffixAlias)
            s << "    <file alias=\"" << e.name << ".png\">" << e.name << ".png</file>\n";
    }
    s << "</qresource>\n</RCC>\n";
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv); // fonts for the flat pictures
    if (argc < 2) {
        std::fprintf(stderr, "usage: artgen <outdir> [--views]\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    const bool viewsOnly = argc > 2 && QString(argv[2]) == "--views";
    QDir().mkpath(dir);

    const char *viewName[4] = {"axis", "top", "side", "rear"};
    std::vector<std::function<void()>> jobs;
    for (int v = 0; v < 4; ++v)
        jobs.push_back([&, v] {
            Camera cam = viewCamera(ViewId(v), kW, kH);
            Rendered r = renderMouse(cam, kW, kH, true);
            QString n = viewName[v];
            save(dir, n, r.picture, false, true);
            if (v != ViewRear) save(dir, n + "_wheel", exactIndexed(r.frontMask), false, false);
            if (v != ViewTop) {
                save(dir, n + "_rear", exactIndexed(r.rearMask), false, false);
                save(dir, n + "_rear_magic", r.rearMagic, false, true);
            }
        });

    if (!viewsOnly) {
        // in-between frames: folder, view at position 0, view at position 15
        struct Folder {
            const char *name;
            ViewId from, to;
        };
        const Folder folders[6] = {{"t_a", ViewTop, ViewAxis}, {"s_a", ViewSide, ViewAxis},
                                   {"s_t", ViewSide, ViewTop}, {"r_a", ViewRear, ViewAxis},
                                   {"r_t", ViewRear, ViewTop}, {"s_r", ViewSide, ViewRear}};
        for (const Folder &f : folders)
            for (int n = 1; n <= 14; ++n)
                jobs.push_back([&, f, n] {
                    Camera a = viewCamera(f.from, kW, kH), b = viewCamera(f.to, kW, kH);
                    Rendered r = renderMouse(blendCamera(a, b, n / 15.0), kW, kH, false);
                    save(dir, QString("%1/%2").arg(f.name).arg(n), r.picture, false, true);
                });

        jobs.push_back([&] {
            // the settings page's banner shows the mouse small, from the side
            auto sideMouse = [](int w, int h) {
                Camera cam = viewCamera(ViewSide, w, h);
                cam.scale = std::min(0.95 * w / 126.0, 0.9 * h / 44.0);
                cam.cx = w / 2.0;
                cam.cy = h - 2 - 20 * cam.scale;
                return renderMouse(cam, w, h, false, false).picture;
            };
            for (const Picture &p : flatPictures(sideMouse))
                save(dir, p.name, p.image, p.withSuffixAlias, false);
        });
        jobs.push_back([&] {
            // Only the installation uses it: it stays out of the resources.
            const QString path = dir + "/menu/kivomouse-256.png";
            QDir().mkpath(dir + "/menu");
            if (!appIcon(256).save(path, "PNG", 0))
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        });
    }
    runAll(jobs);
    writeQrc(dir);
    std::printf("wrote %zu pictures to %s\n", g_entries.size(), qPrintable(dir));
    return 0;
}
