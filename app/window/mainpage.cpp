#include "window/mainpage.h"
#include "window/hoverbtn.h"

#include <QCoreApplication>
#include <QLabel>
#include <QStringList>

namespace
{

struct Feature {
    const char *caption;
    const char *icon;
    const char *paragraphs[3]; // unused entries stay null
};

const Feature features[8] = {
    {QT_TRANSLATE_NOOP("Mainpage", "可编程按键"),
     ":/img/mainpage/prog_key",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标的 6 个按键均可通过软件进行按键自定义设置"),
      QT_TRANSLATE_NOOP("Mainpage", "并且可以对按键设置组合键、多键宏来让鼠标变的更加得心应手。"),
      nullptr}},
    {QT_TRANSLATE_NOOP("Mainpage", "微动设计"),
     ":/img/mainpage/micro_switch",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标搭载能够点击数千万次的按键微动，能有效减少按压"),
      QT_TRANSLATE_NOOP("Mainpage", "带来的硬件损耗，大幅提高鼠标使用寿命。"), nullptr}},
    {QT_TRANSLATE_NOOP("Mainpage", "双模切换"),
     ":/img/mainpage/double_mode",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标具有有线／2.4G 无线两种模式。"),
      QT_TRANSLATE_NOOP("Mainpage",
                        "娱乐时选择有线连接方式，更具稳定性，传输速度超快，是玩家手中的游戏利器。"),
      QT_TRANSLATE_NOOP("Mainpage",
                        "切换到无线模式时，Kivo游戏鼠标也可以成为你娱乐、办公的得力助手。")}},
    {QT_TRANSLATE_NOOP("Mainpage", "人体工学设计"),
     ":/img/mainpage/ergonomics",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标采用了人体工程学设计，使鼠标能更好得贴合手掌弧度，"
                                    "让玩家能有更好得使用体验。"),
      QT_TRANSLATE_NOOP("Mainpage", "再搭配两个橡胶侧裙，能帮助玩家收获更好的游戏体验。"),
      nullptr}},
    {QT_TRANSLATE_NOOP("Mainpage", "光学传感器"),
     ":/img/mainpage/light_sensor",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标配备了 5 挡可调的 7200dpi 游戏光学引擎，"),
      QT_TRANSLATE_NOOP(
          "Mainpage", "可以确保数据无差别追踪，让使用时的准确度、追踪速度和操作一致性都更为出色。"),
      QT_TRANSLATE_NOOP("Mainpage",
                        "令玩家的每一次操作都精准的转化为游戏内动作，不会错过任何关键攻击。")}},
    {QT_TRANSLATE_NOOP("Mainpage", "瞄准键"),
     ":/img/mainpage/aim_key",
     {QT_TRANSLATE_NOOP("Mainpage",
                        "Kivo游戏鼠标特别设计了快速瞄准键，当玩家在游戏中按住瞄准按键时，"),
      QT_TRANSLATE_NOOP("Mainpage",
                        "DPI 会被调整到预先设置好的低数值上，可以帮助玩家进行更为精确得瞄准射击。"),
      nullptr}},
    {QT_TRANSLATE_NOOP("Mainpage", "炫彩灯光"),
     ":/img/mainpage/rgb_light",
     {QT_TRANSLATE_NOOP("Mainpage", "Kivo游戏鼠标加入了炫丽的灯光设计。独特的灯光设置，"),
      QT_TRANSLATE_NOOP(
          "Mainpage",
          "允许用户在滚轮灯区与尾灯灯区分别呈现多色彩 RGB 自定义灯光，及多种灯光效果。"),
      nullptr}},
    {QT_TRANSLATE_NOOP("Mainpage", "高报告速率"),
     ":/img/mainpage/fast_report",
     {QT_TRANSLATE_NOOP(
          "Mainpage",
          "Kivo游戏鼠标配备了 32 位 ARM 处理器，使设备响应更为迅速，让你的操纵随心所欲。"),
      QT_TRANSLATE_NOOP("Mainpage", "同时可通过软件进行 125、250、500、1000 "
                                    "四个挡位报告率的设定，能充分适应不同玩家的个性化需求。"),
      nullptr}},
};

QString description(const Feature &feature)
{
    QString html;
    for (const char *paragraph : feature.paragraphs) {
        if (!paragraph) break;
        html += QStringLiteral("<p style=\"margin:4px\">") +
                QCoreApplication::translate("Mainpage", paragraph).toHtmlEscaped() +
                QStringLiteral("</p>");
    }
    return html;
}

const char welcome_style[] = "font-size:20px;color:rgba(255,255,255,0.3)";
const char description_style[] = "font-size:12px;color:rgba(255,255,255,0.3);text-align:center;";

} // namespace

Mainpage::Mainpage(QWidget *parent) : QWidget(parent)
{
    setFixedSize(920, 750);

    text = new QLabel(this);
    text->setGeometry(0, 420, 920, 60);
    text->setAlignment(Qt::AlignCenter);
    show_welcome();

    hoverbtn **members[8] = {&feture1, &feture2, &feture3, &feture4,
                             &feture5, &feture6, &feture7, &feture8};
    for (int n = 0; n < 8; ++n) {
        hoverbtn *t = new hoverbtn(this);
        t->setGeometry(108 + 90 * n, 530, 90, 110);
        t->text = tr(features[n].caption);
        t->iconpath = QString::fromUtf8(features[n].icon);
        connect(t, &hoverbtn::in, this, &Mainpage::change_label);
        connect(t, &hoverbtn::out, this, &Mainpage::show_welcome);
        *members[n] = t;
    }
}

hoverbtn *Mainpage::tile(int index) const
{
    hoverbtn *const tiles[8] = {feture1, feture2, feture3, feture4,
                                feture5, feture6, feture7, feture8};
    return tiles[index];
}

void Mainpage::change_label()
{
    for (int n = 0; n < 8; ++n) {
        if (sender() == tile(n)) {
            text->setStyleSheet(QLatin1String(description_style));
            text->setText(description(features[n]));
            return;
        }
    }
    // Called directly or by something else: there is no feature to describe.
}

void Mainpage::show_welcome()
{
    text->setStyleSheet(QLatin1String(welcome_style));
    text->setText(tr("欢迎使用Kivo游戏鼠标!"));
}
