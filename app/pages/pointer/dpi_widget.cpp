#include "pages/pointer/dpi_widget.h"
#include "device/kivomouse.h"
#include "view/pictures.h"

#include <QButtonGroup>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

namespace
{
const char *const kTitles[5] = {
    QT_TRANSLATE_NOOP("dpi_Widget", "级别I"), QT_TRANSLATE_NOOP("dpi_Widget", "级别II"),
    QT_TRANSLATE_NOOP("dpi_Widget", "级别III"), QT_TRANSLATE_NOOP("dpi_Widget", "级别IV"),
    QT_TRANSLATE_NOOP("dpi_Widget", "级别V")};
const QPoint kSliderPos[5] = {{172, 7}, {172, 64}, {172, 121}, {558, 7}, {558, 64}};
const int kValueY[5] = {37, 94, 150, 37, 94}; // where a moved value label sits
const QString kNormalStyle = QStringLiteral("font-size:12px;color:rgba(255,255,255,0.7)");
const QString kHighlightStyle = QStringLiteral("font-size:12px;color:#00e39b");

} // namespace

QRect slider_handle_rect(const QSlider *s)
{
    QStyleOptionSlider opt;
    opt.initFrom(s);
    opt.subControls = QStyle::SC_All;
    opt.orientation = s->orientation();
    opt.minimum = s->minimum();
    opt.maximum = s->maximum();
    opt.sliderPosition = s->sliderPosition();
    opt.sliderValue = s->value();
    opt.singleStep = s->singleStep();
    opt.pageStep = s->pageStep();
    opt.upsideDown = s->invertedAppearance();
    opt.tickPosition = s->tickPosition();
    opt.tickInterval = s->tickInterval();
    return s->style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, s);
}

dpi_Widget::dpi_Widget(QWidget *parent) : QWidget(parent)
{
    QLabel *titles[5];
    QSlider *sliders[5];
    QLabel *values[5];
    for (int i = 0; i < 5; ++i) {
        const QPoint s = kSliderPos[i];
        titles[i] = new QLabel(tr(kTitles[i]), this);
        // The 12-pixel line level with the slider, and room above and below it.
        titles[i]->setGeometry(s.x() - 62, s.y() - 2, 40, 16);
        titles[i]->setStyleSheet(kNormalStyle);

        sliders[i] = new QSlider(Qt::Horizontal, this);
        sliders[i]->setGeometry(s.x(), s.y(), 252, 14);
        sliders[i]->setRange(1, 144);
        sliders[i]->setSingleStep(0);
        sliders[i]->setPageStep(0);
        sliders[i]->setValue(1);
        sliders[i]->setStyleSheet(qss_DPI_slider);
        // Only a drag of the handle may change a level: the keys and the
        // wheel would move it without the press that sends the level.
        sliders[i]->setFocusPolicy(Qt::NoFocus);
        sliders[i]->installEventFilter(this);

        auto *scale = new QLabel(this);
        scale->setGeometry(s.x(), s.y() + (i == 2 ? 17 : 18), 252, 10);
        scale->setPixmap(pictures::pixmap(QStringLiteral(":/img/刻度")));

        values[i] = new QLabel(QString::number(50), this);
        values[i]->setGeometry(s.x(), s.y() + (i == 2 ? 39 : 30), 50, 10);
        values[i]->setAlignment(Qt::AlignCenter);
        values[i]->setStyleSheet(kNormalStyle);
    }
    level1_title = titles[0], level2_title = titles[1], level3_title = titles[2];
    level4_title = titles[3], level5_title = titles[4];
    dpi_level1 = sliders[0], dpi_level2 = sliders[1], dpi_level3 = sliders[2];
    dpi_level4 = sliders[3], dpi_level5 = sliders[4];
    value1 = values[0], value2 = values[1], value3 = values[2];
    value4 = values[3], value5 = values[4];

    // The level-count buttons stay hidden; they only carry the count read from the mouse.
    level_btn = new QButtonGroup(this);
    QPushButton *levels[5];
    for (int i = 0; i < 5; ++i) {
        levels[i] = new QPushButton(tr("级别数量%1").arg(i + 1), this);
        levels[i]->setGeometry(206 + 100 * i, 0, 90, 29);
        levels[i]->setCheckable(true);
        levels[i]->setAutoExclusive(true);
        levels[i]->setStyleSheet(qss_checkable_btn);
        levels[i]->hide();
        level_btn->addButton(levels[i], i);
    }
    level_1 = levels[0], level_2 = levels[1], level_3 = levels[2];
    level_4 = levels[3], level_5 = levels[4];

    auto *heading = new QLabel(tr("DPI灵敏度级别"), this);
    heading->setGeometry(110, 7, 80, 16);
    heading->setStyleSheet(kNormalStyle);
    heading->hide();

    connect(dpi_level1, &QSlider::valueChanged, this, &dpi_Widget::dpi1_changed);
    connect(dpi_level2, &QSlider::valueChanged, this, &dpi_Widget::dpi2_changed);
    connect(dpi_level3, &QSlider::valueChanged, this, &dpi_Widget::dpi3_changed);
    connect(dpi_level4, &QSlider::valueChanged, this, &dpi_Widget::dpi4_changed);
    connect(dpi_level5, &QSlider::valueChanged, this, &dpi_Widget::dpi5_changed);
    connect(dpi_level1, &QSlider::sliderPressed, this, &dpi_Widget::dpi_clicked1);
    connect(dpi_level2, &QSlider::sliderPressed, this, &dpi_Widget::dpi_clicked2);
    connect(dpi_level3, &QSlider::sliderPressed, this, &dpi_Widget::dpi_clicked3);
    connect(dpi_level4, &QSlider::sliderPressed, this, &dpi_Widget::dpi_clicked4);
    connect(dpi_level5, &QSlider::sliderPressed, this, &dpi_Widget::dpi_clicked5);
    connect(dpi_level1, &QSlider::sliderReleased, this, &dpi_Widget::dpi_update1);
    connect(dpi_level2, &QSlider::sliderReleased, this, &dpi_Widget::dpi_update2);
    connect(dpi_level3, &QSlider::sliderReleased, this, &dpi_Widget::dpi_update3);
    connect(dpi_level4, &QSlider::sliderReleased, this, &dpi_Widget::dpi_update4);
    connect(dpi_level5, &QSlider::sliderReleased, this, &dpi_Widget::dpi_update5);
}

QLabel *dpi_Widget::title(int level) const
{
    QLabel *const t[5] = {level1_title, level2_title, level3_title, level4_title, level5_title};
    return level >= 1 && level <= 5 ? t[level - 1] : nullptr;
}

QSlider *dpi_Widget::slider(int level) const
{
    QSlider *const s[5] = {dpi_level1, dpi_level2, dpi_level3, dpi_level4, dpi_level5};
    return level >= 1 && level <= 5 ? s[level - 1] : nullptr;
}

QLabel *dpi_Widget::value(int level) const
{
    QLabel *const v[5] = {value1, value2, value3, value4, value5};
    return level >= 1 && level <= 5 ? v[level - 1] : nullptr;
}

bool dpi_Widget::eventFilter(QObject *watched, QEvent *event)
{
    auto *s = qobject_cast<QSlider *>(watched);
    if (!s) return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Wheel:
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
        // A press beside the handle would page or jump the value.
        auto *me = static_cast<QMouseEvent *>(event);
        return me->button() != Qt::LeftButton || !slider_handle_rect(s).contains(me->pos());
    }
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void dpi_Widget::highlight(int level)
{
    for (int n = 1; n <= 5; ++n)
        title(n)->setStyleSheet(n == level ? kHighlightStyle : kNormalStyle);
}

void dpi_Widget::show_value(int level, int v)
{
    // Follows the handle: the slider's left edge + 5 + v * 242 / 143, less
    // half the label's width.
    const int x = (level <= 3 ? 152 : 538) + (v * 242) / 143;
    value(level)->setText(QString::number(v * 50));
    value(level)->move(x, kValueY[level - 1]);
}

void dpi_Widget::fill(const unsigned char *status)
{
    QSignalBlocker group(level_btn);
    QSignalBlocker s1(dpi_level1), s2(dpi_level2), s3(dpi_level3), s4(dpi_level4), s5(dpi_level5);
    highlight(status[8] <= 4 ? status[8] + 1 : 0);
    if (status[10] >= 1 && status[10] <= 5) level_btn->button(status[10] - 1)->setChecked(true);
    for (int level = 1; level <= 5; ++level) {
        // A zero (a failed read) leaves the slider at its minimum but is shown as read.
        slider(level)->setValue(status[2 + level]);
        show_value(level, status[2 + level]);
    }
}

void dpi_Widget::send_levels(int current_level)
{
    if (current_level < 1 || current_level > 5) return;
    QSignalBlocker s1(dpi_level1), s2(dpi_level2), s3(dpi_level3), s4(dpi_level4), s5(dpi_level5);
    send_cmd[0] = 0xc1;
    for (int level = 1; level <= 5; ++level)
        send_cmd[level] = quint8(slider(level)->value());
    send_cmd[6] = quint8(current_level - 1);
    send_cmd[8] = 5; // every level is in use
    m_WriteControl(31, send_cmd);
}

void dpi_Widget::dpi_clicked(int current_level)
{
    highlight(current_level);
    send_levels(current_level);
}

void dpi_Widget::dpi_update(int current_level)
{
    send_levels(current_level);
}

void dpi_Widget::dpi1_changed()
{
    show_value(1, dpi_level1->value());
    highlight(1);
}
void dpi_Widget::dpi2_changed()
{
    show_value(2, dpi_level2->value());
    highlight(2);
}
void dpi_Widget::dpi3_changed()
{
    show_value(3, dpi_level3->value());
    highlight(3);
}
void dpi_Widget::dpi4_changed()
{
    show_value(4, dpi_level4->value());
    highlight(4);
}
void dpi_Widget::dpi5_changed()
{
    show_value(5, dpi_level5->value());
    highlight(5);
}

void dpi_Widget::dpi_clicked1()
{
    dpi_clicked(1);
}
void dpi_Widget::dpi_clicked2()
{
    dpi_clicked(2);
}
void dpi_Widget::dpi_clicked3()
{
    dpi_clicked(3);
}
void dpi_Widget::dpi_clicked4()
{
    dpi_clicked(4);
}
void dpi_Widget::dpi_clicked5()
{
    dpi_clicked(5);
}
void dpi_Widget::dpi_update1()
{
    dpi_update(1);
}
void dpi_Widget::dpi_update2()
{
    dpi_update(2);
}
void dpi_Widget::dpi_update3()
{
    dpi_update(3);
}
void dpi_Widget::dpi_update4()
{
    dpi_update(4);
}
void dpi_Widget::dpi_update5()
{
    dpi_update(5);
}
