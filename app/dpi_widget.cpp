#include "dpi_widget.h"
#include "kivomouse.h"

#include <QButtonGroup>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

namespace
{
const char *const kTitles[5] = {"级别I", "级别II", "级别III", "级别IV", "级别V"};
const QPoint kSliderPos[5] = {{172, 7}, {172, 64}, {172, 121}, {558, 7}, {558, 64}};
const QString kTitleStyle = QStringLiteral("font-size:12px;color:rgba(255,255,255,0.7)");
} // namespace

dpi_Widget::dpi_Widget(QWidget *parent) : QWidget(parent)
{
    QLabel *titles[5];
    QSlider *sliders[5];
    QLabel *values[5];
    for (int i = 0; i < 5; ++i) {
        const QPoint s = kSliderPos[i];
        titles[i] = new QLabel(QString::fromUtf8(kTitles[i]), this);
        titles[i]->setGeometry(s.x() - 62, s.y(), 40, 12);
        titles[i]->setStyleSheet(kTitleStyle);

        sliders[i] = new QSlider(Qt::Horizontal, this);
        sliders[i]->setGeometry(s.x(), s.y(), 252, 14);
        sliders[i]->setRange(1, 144);
        sliders[i]->setSingleStep(0);
        sliders[i]->setPageStep(0);
        sliders[i]->setValue(1);
        sliders[i]->setStyleSheet(qss_DPI_slider);

        auto *scale = new QLabel(this);
        scale->setGeometry(s.x(), s.y() + (i == 2 ? 17 : 18), 252, 10);
        scale->setPixmap(QPixmap(QStringLiteral(":/img/刻度")));

        values[i] = new QLabel(QString::number(50), this);
        values[i]->setGeometry(s.x(), s.y() + (i == 2 ? 39 : 30), 50, 10);
        values[i]->setAlignment(Qt::AlignCenter);
        values[i]->setStyleSheet(kTitleStyle);
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
        levels[i] = new QPushButton(QStringLiteral("级别数量%1").arg(i + 1), this);
        levels[i]->setGeometry(206 + 100 * i, 0, 90, 29);
        levels[i]->setCheckable(true);
        levels[i]->setAutoExclusive(true);
        levels[i]->setStyleSheet(qss_checkable_btn);
        levels[i]->hide();
        level_btn->addButton(levels[i], i);
    }
    level_1 = levels[0], level_2 = levels[1], level_3 = levels[2];
    level_4 = levels[3], level_5 = levels[4];
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
