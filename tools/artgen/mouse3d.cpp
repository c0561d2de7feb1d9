#include "mouse3d.h"

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

namespace art
{
namespace
{

// ---------------------------------------------------------------- math

struct V3 {
    double x = 0, y = 0, z = 0;
    V3() = default;
    V3(double a, double b, double c) : x(a), y(b), z(c) {}
};
V3 operator+(V3 a, V3 b)
{
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
V3 operator-(V3 a, V3 b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
V3 operator*(V3 a, double s)
{
    return {a.x * s, a.y * s, a.z * s};
}
V3 mul(V3 a, V3 b)
{
    return {a.x * b.x, a.y * b.y, a.z * b.z};
}
double dot(V3 a, V3 b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
V3 cross(V3 a, V3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double len(V3 a)
{
    return std::sqrt(dot(a, a));
}
V3 norm(V3 a)
{
    double l = len(a);
    return l > 1e-12 ? a * (1.0 / l) : V3(0, 0, 1);
}

const double kPi = 3.14159265358979323846;

double clamp01(double v)
{
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}
double smooth(double e0, double e1, double x)
{
    double t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3 - 2 * t);
}
double spow(double v, double e)
{
    return v < 0 ? -std::pow(-v, e) : std::pow(v, e);
}
double lin(int c)
{
    return std::pow(c / 255.0, 2.2);
}
V3 rgb(int r, int g, int b)
{
    return {lin(r), lin(g), lin(b)};
}

// Catmull-Rom through n samples spread evenly over [-1, 1].
double curve(const double *s, int n, double t)
{
    double f = (std::clamp(t, -1.0, 1.0) + 1) * 0.5 * (n - 1);
    int i = std::min(int(f), n - 2);
    double u = f - i;
    double p0 = s[std::max(i - 1, 0)], p1 = s[i], p2 = s[i + 1], p3 = s[std::min(i + 2, n - 1)];
    return 0.5 * ((2 * p1) + (-p0 + p2) * u + (2 * p0 - 5 * p1 + 4 * p2 - p3) * u * u +
                  (-p0 + 3 * p1 - 3 * p2 + p3) * u * u * u);
}

// Signed distance to a rounded rectangle centred at the origin.
double sdRoundRect(double px, double py, double hx, double hy, double r)
{
    double qx = std::fabs(px) - (hx - r), qy = std::fabs(py) - (hy - r);
    double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

struct M3 {
    double m[3][3];
    V3 operator*(V3 v) const
    {
        return {m[0][0] * v.x + m[0][1] * v.y + m[0][2] * v.z,
                m[1][0] * v.x + m[1][1] * v.y + m[1][2] * v.z,
                m[2][0] * v.x + m[2][1] * v.y + m[2][2] * v.z};
    }
};

M3 quatToMat(const double *q)
{
    double w = q[0], x = q[1], y = q[2], z = q[3];
    M3 r;
    r.m[0][0] = 1 - 2 * (y * y + z * z);
    r.m[0][1] = 2 * (x * y - z * w);
    r.m[0][2] = 2 * (x * z + y * w);
    r.m[1][0] = 2 * (x * y + z * w);
    r.m[1][1] = 1 - 2 * (x * x + z * z);
    r.m[1][2] = 2 * (y * z - x * w);
    r.m[2][0] = 2 * (x * z - y * w);
    r.m[2][1] = 2 * (y * z + x * w);
    r.m[2][2] = 1 - 2 * (x * x + y * y);
    return r;
}

void matToQuat(const M3 &a, double *q)
{
    const auto &m = a.m;
    double tr = m[0][0] + m[1][1] + m[2][2];
    if (tr > 0) {
        double s = std::sqrt(tr + 1.0) * 2;
        q[0] = 0.25 * s;
        q[1] = (m[2][1] - m[1][2]) / s;
        q[2] = (m[0][2] - m[2][0]) / s;
        q[3] = (m[1][0] - m[0][1]) / s;
    } else if (m[0][0] > m[1][1] && m[0][0] > m[2][2]) {
        double s = std::sqrt(1.0 + m[0][0] - m[1][1] - m[2][2]) * 2;
        q[0] = (m[2][1] - m[1][2]) / s;
        q[1] = 0.25 * s;
        q[2] = (m[0][1] + m[1][0]) / s;
        q[3] = (m[0][2] + m[2][0]) / s;
    } else if (m[1][1] > m[2][2]) {
        double s = std::sqrt(1.0 + m[1][1] - m[0][0] - m[2][2]) * 2;
        q[0] = (m[0][2] - m[2][0]) / s;
        q[1] = (m[0][1] + m[1][0]) / s;
        q[2] = 0.25 * s;
        q[3] = (m[1][2] + m[2][1]) / s;
    } else {
        double s = std::sqrt(1.0 + m[2][2] - m[0][0] - m[1][1]) * 2;
        q[0] = (m[1][0] - m[0][1]) / s;
        q[1] = (m[0][2] + m[2][0]) / s;
        q[2] = (m[1][2] + m[2][1]) / s;
        q[3] = 0.25 * s;
    }
}

// Rotation whose rows are the camera's right, up and towards-viewer axes.
M3 lookFrom(V3 towardsViewer, V3 upHint)
{
    V3 cz = norm(towardsViewer);
    V3 cx = norm(cross(upHint, cz));
    V3 cy = cross(cz, cx);
    M3 r;
    r.m[0][0] = cx.x, r.m[0][1] = cx.y, r.m[0][2] = cx.z;
    r.m[1][0] = cy.x, r.m[1][1] = cy.y, r.m[1][2] = cy.z;
    r.m[2][0] = cz.x, r.m[2][1] = cz.y, r.m[2][2] = cz.z;
    return r;
}

// ---------------------------------------------------------------- model
// Millimetres; x to the mouse's right, y forward (nose), z up, origin on the
// desk under the middle of the mouse.

const double kHalfLen = 63.0;
const double kWheelY = -2.0; // under the top-view wheel marker
const double kWheelR = 11.1;
const double kWheelHalfW = 3.6;
const double kSeamD = 4.0;   // inset of the main buttons' side seams
const double kDpi1Y = -34.3; // the two buttons behind the wheel
const double kDpi2Y = -46.2;
const V3 kPivot(0, 0, 20);

struct SideButton {
    double y, z, hy, hz, r;
};
// Left-side buttons, centred under the side-view markers.
const SideButton kSideBtns[3] = {
    {13.3, 27.6, 9.4, 3.6, 3.0},   // forward
    {-13.65, 30.8, 9.4, 3.6, 3.0}, // back
    {17.5, 13.6, 4.2, 3.0, 2.6},   // aim key
};

double heightProfile(double yn)
{
    static const double s[9] = {17.5, 30.5, 39.0, 42.5, 40.5, 36.5, 30.5, 25.0, 21.0};
    return curve(s, 9, yn);
}
double halfWidth(double yn, bool left)
{
    static const double r[9] = {27.0, 31.0, 32.5, 31.5, 29.5, 28.5, 28.5, 28.3, 27.2};
    static const double l[9] = {27.0, 31.5, 33.5, 33.0, 31.2, 30.2, 29.6, 29.0, 27.8};
    return curve(left ? l : r, 9, yn);
}

double buttonEndY(double x)
{
    return -22.0 + 0.006 * x * x;
}

double dpiHousingSd(double x, double y)
{
    double ym = 0.5 * (kDpi1Y + kDpi2Y), hy = 0.5 * (kDpi1Y - kDpi2Y) + 5.6;
    return sdRoundRect(x, y - ym, 5.6, hy, 5.0);
}
double dpiButtonSd(double x, double y)
{
    return std::min(sdRoundRect(x, y - kDpi1Y, 4.1, 4.5, 2.2),
                    sdRoundRect(x, y - kDpi2Y, 4.1, 4.5, 2.2));
}
double slotSd(double x, double y)
{
    return sdRoundRect(x, y - kWheelY, 5.0, 13.2, 4.6);
}

double topHeight(double x, double y)
{
    double yn = y / kHalfLen;
    double crown = 1.0 - 0.075 * std::pow((x + 3) / 30.0, 2) - 0.04 * std::max(0.0, x / 30.0);
    double h = heightProfile(yn) * crown;
    // the DPI buttons stand a little proud of their housing, which stands proud of the shell
    h += 0.55 * smooth(0.35, -0.35, dpiHousingSd(x, y)) +
         0.35 * smooth(0.3, -0.3, dpiButtonSd(x, y));
    return h;
}

double sideButtonSd(double y, double z, int *which = nullptr)
{
    double best = 1e9;
    for (int i = 0; i < 3; ++i) {
        const SideButton &b = kSideBtns[i];
        double d = sdRoundRect(y - b.y, z - b.z, b.hy, b.hz, b.r);
        if (d < best) {
            best = d;
            if (which) *which = i;
        }
    }
    return best;
}
double gripSd(double y, double z, bool left)
{
    return left ? sdRoundRect(y + 6.0, z - 13.5, 31.0, 9.5, 6.0)
                : sdRoundRect(y + 7.0, z - 15.0, 29.0, 11.0, 7.0);
}
double rearStripSd(double y, double z)
{
    double zc = 12.5 + 0.42 * (y + kHalfLen);
    return std::max(std::fabs(z - zc) - 1.25, y + 35.0);
}

struct Vtx {
    float p[3];
    float n[3];
    float d; // shell: inset from the outline; wheel: unused
};
struct Tri {
    int a, b, c;
    int part; // 0 shell, 1 wheel
};

struct Mesh {
    std::vector<Vtx> v;
    std::vector<Tri> t;
    std::vector<V3> footprint; // outline on the desk, for the shadow
};

V3 outlinePoint(double u)
{
    const double e2 = 0.62;
    double cu = spow(std::cos(u), e2), su = spow(std::sin(u), e2);
    double y = kHalfLen * su;
    double a = halfWidth(su, cu < 0);
    return {a * cu, y, 0};
}

void addGrid(Mesh &m, const std::vector<V3> &pts, int nu, int nv, bool wrapU, int part,
             const std::vector<float> &attr)
{
    int base = int(m.v.size());
    for (int i = 0; i < nu; ++i) {
        for (int j = 0; j < nv; ++j) {
            int ip = wrapU ? (i + 1) % nu : std::min(i + 1, nu - 1);
            int im = wrapU ? (i - 1 + nu) % nu : std::max(i - 1, 0);
            int jp = std::min(j + 1, nv - 1), jm = std::max(j - 1, 0);
            V3 du = pts[ip * nv + j] - pts[im * nv + j];
            V3 dv = pts[i * nv + jp] - pts[i * nv + jm];
            V3 n = cross(du, dv);
            if (len(n) < 1e-12) {
                // degenerate (pole): use the next ring's normal direction
                n = cross(pts[ip * nv + jm] - pts[im * nv + jm], dv);
            }
            n = norm(n);
            Vtx vx;
            const V3 &p = pts[i * nv + j];
            vx.p[0] = float(p.x), vx.p[1] = float(p.y), vx.p[2] = float(p.z);
            vx.n[0] = float(n.x), vx.n[1] = float(n.y), vx.n[2] = float(n.z);
            vx.d = attr.empty() ? 0.f : attr[i * nv + j];
            m.v.push_back(vx);
        }
    }
    int iu = wrapU ? nu : nu - 1;
    for (int i = 0; i < iu; ++i) {
        int i2 = (i + 1) % nu;
        for (int j = 0; j + 1 < nv; ++j) {
            int a = base + i * nv + j, b = base + i2 * nv + j, c = base + i2 * nv + j + 1,
                d = base + i * nv + j + 1;
            m.t.push_back({a, b, c, part});
            m.t.push_back({a, c, d, part});
        }
    }
}

void buildShell(Mesh &m)
{
    const int nu = 1400, nc = 130, nt = 190;
    const int nv = nc + nt;
    std::vector<V3> pts(size_t(nu) * nv);
    std::vector<float> ds(size_t(nu) * nv);
    for (int i = 0; i < nu; ++i) {
        double u = 2 * kPi * i / nu;
        V3 o = outlinePoint(u);
        double ru = std::sqrt(o.x * o.x + o.y * o.y);
        double su = o.y / kHalfLen;
        double rh = 10.0 - (su > 0 ? 2.2 * su * su : -3.0 * su * su);
        bool left = o.x < 0;
        for (int j = 0; j < nv; ++j) {
            double d, zf;
            if (j < nc) {
                // side wall rounding over into the top: a boxy superellipse quarter
                double phi = 0.5 * kPi * j / (nc - 1);
                const double k = 2.7;
                d = rh * (1 - std::pow(std::cos(phi), 2.0 / k));
                zf = std::pow(std::sin(phi), 2.0 / k);
            } else {
                double f = double(j - nc + 1) / nt;
                d = rh + (ru - rh) * std::pow(f, 1.0);
                zf = 1.0;
            }
            d = std::min(d, ru);
            auto at = [&](double dd) { return V3(o.x * (1 - dd / ru), o.y * (1 - dd / ru), 0); };
            V3 p = at(d);
            double z = topHeight(p.x, p.y) * zf;
            if (j < nc) {
                // walls lean in; the thumb side has a groove and flares at the foot
                double dd = 0.06 * z;
                if (left) {
                    double win = smooth(-0.75, -0.45, su) * smooth(0.55, 0.25, su);
                    dd += 1.9 * std::exp(-std::pow((z - 21.0) / 7.5, 2)) * win;
                    dd -= 2.6 * std::pow(1 - zf, 3) * win;
                }
                d = std::max(0.0, d + dd);
                p = at(d);
                if (left && z > 3) {
                    double sb = sideButtonSd(p.y, z);
                    double m1 = smooth(0.3, -0.3, sb);
                    double m2 = smooth(0.35, -0.35, gripSd(p.y, z, true));
                    d = d - 1.05 * m1 + 0.25 * m2 * (1 - m1);
                    p = at(d);
                } else if (!left && z > 3) {
                    d = d + 0.25 * smooth(0.35, -0.35, gripSd(p.y, z, false));
                    p = at(d);
                }
            }
            p.z = z;
            pts[size_t(i) * nv + j] = p;
            ds[size_t(i) * nv + j] = float(d);
        }
        m.footprint.push_back(o);
    }
    addGrid(m, pts, nu, nv, true, 0, ds);
}

double wheelCentreZ()
{
    return topHeight(0, kWheelY) + 2.6 - kWheelR;
}

void buildWheel(Mesh &m)
{
    // cross-section of the wheel: flank, light rim, rubber tread, rim, flank
    std::vector<std::pair<double, double>> prof;
    auto half = std::vector<std::pair<double, double>>{
        {-3.6, 4.0},   {-3.6, 7.0},    {-3.6, 9.4},   {-3.55, 9.9},   {-3.4, 10.3}, {-3.1, 10.55},
        {-2.7, 10.62}, {-2.35, 10.62}, {-2.2, 10.75}, {-2.08, 10.95}, {-1.9, 11.05}};
    for (auto &p : half)
        prof.push_back(p);
    for (int k = 1; k < 10; ++k)
        prof.push_back({-1.9 + 3.8 * k / 10.0, 11.1});
    for (int k = int(half.size()) - 1; k >= 0; --k)
        prof.push_back({-half[k].first, half[k].second});
    // refine so the rounded corners shade smoothly
    std::vector<std::pair<double, double>> fine;
    for (size_t k = 0; k + 1 < prof.size(); ++k)
        for (int s = 0; s < 3; ++s) {
            double f = s / 3.0;
            fine.push_back({prof[k].first + (prof[k + 1].first - prof[k].first) * f,
                            prof[k].second + (prof[k + 1].second - prof[k].second) * f});
        }
    fine.push_back(prof.back());
    const int na = 28 * 18;
    int nv = int(fine.size());
    std::vector<V3> pts(size_t(na) * nv);
    std::vector<float> attr(size_t(na) * nv);
    double zc = wheelCentreZ();
    for (int i = 0; i < na; ++i) {
        double a = 2 * kPi * i / na;
        double rib = smooth(0.25, 0.75, 0.5 + 0.5 * std::cos(28 * a));
        for (int j = 0; j < nv; ++j) {
            double x = fine[j].first, r = fine[j].second;
            if (std::fabs(x) < 1.95) r += 0.32 * rib * smooth(1.95, 1.6, std::fabs(x));
            pts[size_t(i) * nv + j] = V3(x, kWheelY + r * std::cos(a), zc + r * std::sin(a));
            attr[size_t(i) * nv + j] = float(x);
        }
    }
    addGrid(m, pts, na, nv, true, 1, attr);
}

const Mesh &model()
{
    static Mesh m;
    static std::once_flag once;
    std::call_once(once, [] {
        buildShell(m);
        buildWheel(m);
    });
    return m;
}

// ---------------------------------------------------------------- shading

enum Zone { ZoneNone = 0, ZoneFront = 1, ZoneRear = 2 };

struct Surf {
    V3 albedo;
    double specular = 0.25, shin = 30, refl = 0.3;
    V3 glow;
    double ao = 1.0;
    int zone = ZoneNone;
};

double groove(double sd, double w = 0.22)
{
    return std::exp(-(sd * sd) / (w * w));
}

Surf shellSurface(V3 p, double d)
{
    Surf s;
    const V3 body = rgb(40, 43, 51);
    const V3 diffuser = rgb(150, 156, 166);
    s.albedo = body;
    s.specular = 0.18, s.shin = 26, s.refl = 0.22;
    double x = p.x, y = p.y, z = p.z;
    double dark = 0; // seam darkening 0..1
    double lift = 0; // bevel highlight beside a seam

    bool wall = d < 10.5;
    // desk skirt and its accent line
    if (z < 2.0) {
        s.albedo = rgb(14, 15, 18);
        s.specular = 0.6, s.shin = 90, s.refl = 0.6;
    } else if (z < 2.65) {
        s.albedo = rgb(0, 227, 155) * 0.4;
        s.glow = rgb(0, 227, 155) * 0.55;
        s.specular = 0.3, s.refl = 0.1;
    }
    s.ao = 0.45 + 0.55 * smooth(0.0, 14.0, z);

    double ybe = buttonEndY(x);
    bool buttonZone = d > kSeamD && y > ybe;
    if (z > 2.65) {
        if (buttonZone) {
            s.albedo = rgb(44, 47, 56);
            s.specular = 0.35, s.shin = 55, s.refl = 0.38;
        }
        if (y > ybe - 1) {
            dark = std::max(dark, groove(d - kSeamD) * smooth(ybe - 1, ybe, y));
            lift = std::max(lift, groove(d - kSeamD - 0.45, 0.18) * smooth(ybe - 1, ybe, y));
        }
        if (d > kSeamD - 1) {
            dark = std::max(dark, groove(y - ybe) * smooth(kSeamD - 1, kSeamD, d));
            lift = std::max(lift, groove(y - ybe - 0.45, 0.18) * smooth(kSeamD - 1, kSeamD, d));
        }
        if (y > ybe && d > kSeamD) dark = std::max(dark, groove(x, 0.2));

        // wheel slot: the light shows in the gap around the wheel
        double ss = slotSd(x, y);
        if (ss < 0) {
            s.albedo = diffuser * 0.7;
            s.glow = diffuser * 0.08;
            s.specular = 0.5, s.shin = 60, s.refl = 0.25;
            s.zone = ZoneFront;
            // darker towards the wheel, as the slot is deep there
            s.ao *= 0.55 + 0.45 * smooth(3.6, 5.0, std::fabs(x));
            dark = 0;
        }
        dark = std::max(dark, 0.9 * groove(ss, 0.35));

        // DPI housing and buttons
        double hs = dpiHousingSd(x, y);
        if (hs < 0) {
            s.albedo = rgb(20, 21, 25);
            s.specular = 0.7, s.shin = 120, s.refl = 0.7;
            double bs = dpiButtonSd(x, y);
            if (bs < 0) {
                s.albedo = rgb(52, 55, 63);
                s.specular = 0.35, s.shin = 50, s.refl = 0.3;
            }
            dark = std::max(dark, groove(bs, 0.2));
            lift = std::max(lift, 0.6 * groove(bs + 0.4, 0.15));
            // status light between the two buttons
            double led = std::hypot(x, y - 0.5 * (kDpi1Y + kDpi2Y));
            if (led < 0.9) {
                double f = smooth(0.9, 0.6, led);
                s.glow = s.glow + rgb(0, 227, 155) * (1.4 * f);
                s.albedo = s.albedo * (1 - f);
            }
        }
        dark = std::max(dark, groove(hs, 0.25));

        if (wall && z > 3) {
            bool left = x < 0;
            double gs = gripSd(y, z, left);
            if (gs < 0) {
                // ribbed rubber grip
                double t = std::sin((y * 0.7 + z * 0.7) * 2 * kPi / 1.5);
                double rib = smooth(-0.2, 0.6, t);
                s.albedo = rgb(24, 26, 30) * (0.75 + 0.45 * rib);
                s.specular = 0.08 + 0.12 * rib, s.shin = 14, s.refl = 0.06 + 0.1 * rib;
            }
            dark = std::max(dark, 0.8 * groove(gs, 0.28));
            if (left) {
                double bs = sideButtonSd(y, z);
                if (bs < 0) {
                    s.albedo = rgb(46, 49, 58);
                    s.specular = 0.45, s.shin = 70, s.refl = 0.45;
                }
                dark = std::max(dark, groove(bs, 0.24));
                lift = std::max(lift, groove(bs + 0.45, 0.16));
            }
            // tail light
            double rs = rearStripSd(y, z);
            if (rs < 0 && d < 9.5) {
                s.albedo = diffuser * 0.8;
                s.glow = diffuser * 0.10;
                s.specular = 0.6, s.shin = 80, s.refl = 0.35;
                s.zone = ZoneRear;
            }
            if (d < 9.5) dark = std::max(dark, 0.85 * groove(rs, 0.3));
        }
    }
    s.albedo = s.albedo * (1 - 0.85 * dark) + V3(0.05, 0.05, 0.055) * lift;
    s.specular *= (1 - 0.8 * dark);
    s.refl *= (1 - 0.8 * dark);
    return s;
}

Surf wheelSurface(double xLocal)
{
    Surf s;
    if (std::fabs(xLocal) < 2.05) {
        s.albedo = rgb(46, 48, 54);
        s.specular = 0.2, s.shin = 20, s.refl = 0.12;
    } else {
        V3 diffuser = rgb(160, 166, 176);
        s.albedo = diffuser * 0.75;
        s.glow = diffuser * 0.12;
        s.specular = 0.7, s.shin = 90, s.refl = 0.4;
        s.zone = ZoneFront;
    }
    return s;
}

// Studio lighting, fixed to the camera so every view is lit the same way.
struct Light {
    V3 dir;
    V3 col;
};

V3 envLight(V3 r)
{
    static const V3 kb = norm(V3(-0.45, 0.8, 0.45));
    static const V3 sb = norm(V3(0.9, 0.3, -0.15));
    V3 e = V3(0.03, 0.033, 0.04) * (0.5 + 0.5 * r.y);
    double k = smooth(0.84, 0.97, dot(r, kb));
    e = e + V3(1.6, 1.6, 1.65) * k;
    double st = smooth(0.90, 0.985, dot(r, sb));
    e = e + V3(0.55, 0.8, 0.85) * st;
    // long horizontal strip box high above
    double band =
        smooth(0.55, 0.62, r.y) * smooth(0.8, 0.72, r.y) * smooth(0.8, 0.3, std::fabs(r.x));
    e = e + V3(0.5, 0.5, 0.52) * band;
    return e;
}

V3 shade(const Surf &s, V3 n)
{
    static const Light lights[3] = {
        {norm(V3(-0.5, 0.75, 0.55)), V3(1.35, 1.32, 1.28)},
        {norm(V3(0.75, 0.15, 0.6)), V3(0.28, 0.32, 0.38)},
        {norm(V3(0.2, -0.6, 0.5)), V3(0.06, 0.07, 0.08)},
    };
    V3 v(0, 0, 1);
    if (n.z < 0.02) {
        n.z = 0.02;
        n = norm(n);
    }
    double nv = std::max(0.0, dot(n, v));
    V3 diff = V3(0.05, 0.055, 0.065);
    V3 specular;
    for (const Light &l : lights) {
        double nl = std::max(0.0, dot(n, l.dir));
        diff = diff + l.col * nl;
        V3 h = norm(l.dir + v);
        specular = specular + l.col * (s.specular * std::pow(std::max(0.0, dot(n, h)), s.shin));
    }
    V3 r = n * (2 * nv) - v;
    double fres = 0.06 + 0.94 * std::pow(1 - nv, 4);
    V3 refl = envLight(r) * (s.refl * fres * 1.4);
    // cool rim from behind
    double rim = std::pow(1 - nv, 3.0) * 0.12;
    V3 c = mul(s.albedo, diff) * s.ao + (specular + refl) * (0.35 + 0.65 * s.ao) +
           V3(0.25, 0.4, 0.45) * rim + s.glow;
    return c;
}

int toSrgb(double v)
{
    v = 1.0 - std::exp(-1.25 * std::max(0.0, v));
    return std::clamp(int(std::pow(v, 1 / 2.2) * 255.0 + 0.5), 0, 255);
}

void boxBlur(std::vector<float> &a, int w, int h, int r)
{
    if (r < 1) return;
    std::vector<float> tmp(a.size());
    for (int y = 0; y < h; ++y) {
        double acc = 0;
        for (int x = -r; x <= r; ++x)
            acc += a[y * w + std::clamp(x, 0, w - 1)];
        for (int x = 0; x < w; ++x) {
            tmp[y * w + x] = float(acc / (2 * r + 1));
            acc +=
                a[y * w + std::clamp(x + r + 1, 0, w - 1)] - a[y * w + std::clamp(x - r, 0, w - 1)];
        }
    }
    for (int x = 0; x < w; ++x) {
        double acc = 0;
        for (int y = -r; y <= r; ++y)
            acc += tmp[std::clamp(y, 0, h - 1) * w + x];
        for (int y = 0; y < h; ++y) {
            a[y * w + x] = float(acc / (2 * r + 1));
            acc += tmp[std::clamp(y + r + 1, 0, h - 1) * w + x] -
                   tmp[std::clamp(y - r, 0, h - 1) * w + x];
        }
    }
}

} // namespace

// ---------------------------------------------------------------- cameras

Camera viewCamera(ViewId id, int width, int height)
{
    Camera c;
    M3 r;
    switch (id) {
    case ViewTop:
        r = lookFrom(V3(0, 0, 1), V3(0, 1, 0));
        c.scale = 2.95;
        break;
    case ViewSide:
        r = lookFrom(V3(-1, 0, 0), V3(0, 0, 1));
        c.scale = 3.15;
        break;
    case ViewRear:
        r = lookFrom(V3(0, -1, 0.26), V3(0, 0, 1));
        c.scale = 4.3;
        break;
    case ViewAxis:
    default:
        r = lookFrom(V3(-1.0, 0.62, 0.78), V3(0, 0, 1));
        c.scale = 3.3;
        break;
    }
    matToQuat(r, c.q);
    // Top and side views are placed so that the button markers drawn over the
    // picture sit on the buttons; the others are centred on their bounds.
    if (id == ViewTop) {
        c.cx = 310;
        c.cy = 200 + c.scale * kWheelY;
    } else if (id == ViewSide) {
        c.cx = 300;
        c.cy = 275 - c.scale * kPivot.z;
    } else {
        const Mesh &m = model();
        double x0 = 1e9, x1 = -1e9, y0 = 1e9, y1 = -1e9;
        for (const Vtx &v : m.v) {
            V3 q = r * (V3(v.p[0], v.p[1], v.p[2]) - kPivot);
            x0 = std::min(x0, q.x), x1 = std::max(x1, q.x);
            y0 = std::min(y0, -q.y), y1 = std::max(y1, -q.y);
        }
        c.cx = width / 2.0 - c.scale * 0.5 * (x0 + x1);
        c.cy = height / 2.0 - c.scale * 0.5 * (y0 + y1) - 4;
    }
    return c;
}

Camera blendCamera(const Camera &a, const Camera &b, double t)
{
    // ease in and out a little, so a view change starts and lands softly
    double e = 0.5 * t + 0.5 * (0.5 - 0.5 * std::cos(kPi * t));
    Camera c;
    double qa[4] = {a.q[0], a.q[1], a.q[2], a.q[3]}, qb[4] = {b.q[0], b.q[1], b.q[2], b.q[3]};
    double d = qa[0] * qb[0] + qa[1] * qb[1] + qa[2] * qb[2] + qa[3] * qb[3];
    if (d < 0) {
        for (double &v : qb)
            v = -v;
        d = -d;
    }
    double wa, wb;
    if (d > 0.9995) {
        wa = 1 - e, wb = e;
    } else {
        double th = std::acos(d);
        wa = std::sin((1 - e) * th) / std::sin(th);
        wb = std::sin(e * th) / std::sin(th);
    }
    double l = 0;
    for (int i = 0; i < 4; ++i) {
        c.q[i] = wa * qa[i] + wb * qb[i];
        l += c.q[i] * c.q[i];
    }
    for (double &v : c.q)
        v /= std::sqrt(l);
    c.scale = a.scale + (b.scale - a.scale) * e;
    c.cx = a.cx + (b.cx - a.cx) * e;
    c.cy = a.cy + (b.cy - a.cy) * e;
    return c;
}

// ---------------------------------------------------------------- renderer

Rendered renderMouse(const Camera &cam, int width, int height, bool masks, bool shadow)
{
    const Mesh &m = model();
    const int ss = 3;
    const int W = width * ss, H = height * ss;
    M3 r = quatToMat(cam.q);
    const double sc = cam.scale * ss;

    struct P2 {
        float x, y, z;
    };
    std::vector<P2> pv(m.v.size());
    for (size_t i = 0; i < m.v.size(); ++i) {
        V3 q = r * (V3(m.v[i].p[0], m.v[i].p[1], m.v[i].p[2]) - kPivot);
        pv[i] = {float(cam.cx * ss + sc * q.x), float(cam.cy * ss - sc * q.y), float(q.z)};
    }

    std::vector<float> depth(size_t(W) * H, -1e30f);
    std::vector<int> tri(size_t(W) * H, -1);
    std::vector<float> b1(size_t(W) * H), b2(size_t(W) * H);

    for (size_t ti = 0; ti < m.t.size(); ++ti) {
        const Tri &t = m.t[ti];
        const P2 &A = pv[t.a], &B = pv[t.b], &C = pv[t.c];
        float area = (B.x - A.x) * (C.y - A.y) - (B.y - A.y) * (C.x - A.x);
        if (std::fabs(area) < 1e-9f) continue;
        int x0 = std::max(0, int(std::floor(std::min({A.x, B.x, C.x}) - 0.5f)));
        int x1 = std::min(W - 1, int(std::ceil(std::max({A.x, B.x, C.x}) - 0.5f)));
        int y0 = std::max(0, int(std::floor(std::min({A.y, B.y, C.y}) - 0.5f)));
        int y1 = std::min(H - 1, int(std::ceil(std::max({A.y, B.y, C.y}) - 0.5f)));
        float inv = 1.0f / area;
        for (int y = y0; y <= y1; ++y) {
            float py = y + 0.5f;
            for (int x = x0; x <= x1; ++x) {
                float px = x + 0.5f;
                float w0 = ((B.x - px) * (C.y - py) - (B.y - py) * (C.x - px)) * inv;
                float w1 = ((C.x - px) * (A.y - py) - (C.y - py) * (A.x - px)) * inv;
                float w2 = 1 - w0 - w1;
                if (w0 < -1e-6f || w1 < -1e-6f || w2 < -1e-6f) continue;
                float z = w0 * A.z + w1 * B.z + w2 * C.z;
                size_t k = size_t(y) * W + x;
                if (z > depth[k]) {
                    depth[k] = z;
                    tri[k] = int(ti);
                    b1[k] = w1;
                    b2[k] = w2;
                }
            }
        }
    }

    // shade every sample, then average each pixel's samples
    std::vector<float> acc(size_t(width) * height * 4, 0.f);
    std::vector<float> front(size_t(width) * height, 0.f), rear(size_t(width) * height, 0.f);
    double zoneXmin = 1e9, zoneXmax = -1e9;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            size_t k = size_t(y) * W + x;
            int ti = tri[k];
            if (ti < 0) continue;
            const Tri &t = m.t[ti];
            const Vtx &A = m.v[t.a], &B = m.v[t.b], &C = m.v[t.c];
            float w1 = b1[k], w2 = b2[k], w0 = 1 - w1 - w2;
            V3 p(w0 * A.p[0] + w1 * B.p[0] + w2 * C.p[0], w0 * A.p[1] + w1 * B.p[1] + w2 * C.p[1],
                 w0 * A.p[2] + w1 * B.p[2] + w2 * C.p[2]);
            V3 n = norm(V3(w0 * A.n[0] + w1 * B.n[0] + w2 * C.n[0],
                           w0 * A.n[1] + w1 * B.n[1] + w2 * C.n[1],
                           w0 * A.n[2] + w1 * B.n[2] + w2 * C.n[2]));
            double d = w0 * A.d + w1 * B.d + w2 * C.d;
            Surf s = t.part == 0 ? shellSurface(p, d) : wheelSurface(d);
            V3 col = shade(s, r * n);
            size_t o = size_t(y / ss) * width + x / ss;
            acc[o * 4 + 0] += float(col.x);
            acc[o * 4 + 1] += float(col.y);
            acc[o * 4 + 2] += float(col.z);
            acc[o * 4 + 3] += 1.f;
            if (s.zone == ZoneFront)
                front[o] += 1.f;
            else if (s.zone == ZoneRear) {
                rear[o] += 1.f;
                zoneXmin = std::min(zoneXmin, double(x) / ss);
                zoneXmax = std::max(zoneXmax, double(x) / ss);
            }
        }
    }

    // soft contact shadow from the footprint on the desk
    std::vector<float> sh(size_t(width) * height, 0.f);
    if (shadow) {
        QImage fp(width, height, QImage::Format_ARGB32_Premultiplied);
        fp.fill(0);
        QPolygonF poly;
        for (const V3 &o : m.footprint) {
            V3 q = r * (o * 1.02 - kPivot);
            poly << QPointF(cam.cx + cam.scale * q.x, cam.cy - cam.scale * q.y);
        }
        {
            QPainter p(&fp);
            p.setRenderHint(QPainter::Antialiasing);
            p.setPen(QPen(Qt::black, std::max(1.5, cam.scale * 1.2)));
            p.setBrush(Qt::black);
            p.drawPolygon(poly);
        }
        for (int y = 0; y < height; ++y) {
            const QRgb *line = reinterpret_cast<const QRgb *>(fp.constScanLine(y));
            for (int x = 0; x < width; ++x)
                sh[size_t(y) * width + x] = qAlpha(line[x]) / 255.f;
        }
        int rad = std::max(2, int(cam.scale * 2.2));
        for (int i = 0; i < 3; ++i)
            boxBlur(sh, width, height, rad);
    }

    Rendered out;
    out.picture = QImage(width, height, QImage::Format_ARGB32);
    const float nsamp = float(ss * ss);
    for (int y = 0; y < height; ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(out.picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            size_t o = size_t(y) * width + x;
            float cov = acc[o * 4 + 3] / nsamp;
            float sa = 0.62f * sh[o];
            float a = cov + sa * (1 - cov);
            if (a <= 0.002f) {
                line[x] = 0;
                continue;
            }
            // mouse colour over a black shadow, un-premultiplied for the file
            double rr = 0, gg = 0, bb = 0;
            if (cov > 0) {
                rr = toSrgb(acc[o * 4 + 0] / acc[o * 4 + 3]);
                gg = toSrgb(acc[o * 4 + 1] / acc[o * 4 + 3]);
                bb = toSrgb(acc[o * 4 + 2] / acc[o * 4 + 3]);
            }
            double f = cov / a;
            line[x] =
                qRgba(int(rr * f + 0.5), int(gg * f + 0.5), int(bb * f + 0.5), int(a * 255 + 0.5));
        }
    }
    if (masks) {
        auto makeMask = [&](const std::vector<float> &z, bool magic) {
            QImage im(width, height, QImage::Format_ARGB32);
            for (int y = 0; y < height; ++y) {
                QRgb *line = reinterpret_cast<QRgb *>(im.scanLine(y));
                for (int x = 0; x < width; ++x) {
                    float c = z[size_t(y) * width + x] / nsamp;
                    // faint edge samples would turn into solid pixels once tinted
                    if (c < 0.34f) {
                        line[x] = 0;
                        continue;
                    }
                    int al = int(std::min(1.0f, c) * 255 + 0.5f);
                    if (!magic) {
                        line[x] = qRgba(255, 255, 255, al);
                    } else {
                        double span = std::max(1.0, zoneXmax - zoneXmin);
                        double hue = std::fmod(0.9 * (x - zoneXmin) / span * 360.0, 360.0);
                        QColor hc =
                            QColor::fromHsvF(std::clamp(hue, 0.0, 359.0) / 360.0, 0.85, 1.0);
                        line[x] = qRgba(hc.red(), hc.green(), hc.blue(), al);
                    }
                }
            }
            return im;
        };
        out.frontMask = makeMask(front, false);
        out.rearMask = makeMask(rear, false);
        out.rearMagic = makeMask(rear, true);
    }
    return out;
}

} // namespace art
