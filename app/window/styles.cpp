// The program's shared look: one dark theme, accent #00e39b. Set during static
// initialisation and never changed.
#include "device/kivomouse.h"

#include <QPushButton>

const QString qss_radiobutton_20x20 = QStringLiteral(
    "QRadioButton::indicator{width:20px;height:20px;}"
    "QRadioButton::indicator:unchecked{image:url(:/img/radiobutton20x20.png);}"
    "QRadioButton::indicator:checked{image:url(:/img/radiobutton20x20_selected.png);}"
    "QRadioButton::indicator:unchecked:hover{image:url(:/img/radiobutton20x20_selected.png);}");

const QString qss_radiobutton_42x42 =
    QStringLiteral("QPushButton{border-style:double;border-width:1px;border-radius:21px;"
                   "border-color:rgba(255,255,255,0.1);background-color:transparent;font-size:14px;"
                   "color:rgba(255,255,255,0.7);}"
                   "QPushButton:checked{border:none;background-color:rgba(255,255,255,0.1);}"
                   "QPushButton:hover{border-color:rgba(255,255,255,0.3);}");

const QString qss_radiobutton_16x16 = QStringLiteral(
    "QRadioButton{spacing:9px;font-size:12px;color:rgba(255,255,255,0.7);}"
    "QRadioButton:disabled{color:rgba(255,255,255,0.2);}"
    "QRadioButton::indicator{width:16px;height:16px;}"
    "QRadioButton::indicator:checked{image:url(:/img/radiobutton16x16_selected.png);}"
    "QRadioButton::indicator:unchecked{image:url(:/img/radiobutton16x16.png);}");

const QString qss_DPI_slider =
    QStringLiteral("QSlider::groove:horizontal{background:#232631;height:4px;border-radius:2px;}"
                   "QSlider::handle:horizontal{background:#afafaf;width:10px;margin-top:-3px;"
                   "margin-bottom:-3px;border-radius:5px;}"
                   "QSlider::handle:horizontal:disabled{background:#2f333c;}"
                   "QSlider::add-page:horizontal{background:#232631;border-radius:1px;}"
                   "QSlider::sub-page:horizontal{background:#00e39b;border-radius:1px;}"
                   "QSlider::sub-page:horizontal:disabled{background:#232631;border-radius:1px;}");

const QString nav_text =
    QStringLiteral("QPushButton{background-color:transparent;border:none;font-size:12px;"
                   "color:rgba(255,255,255,0.7);text-align:center;}"
                   "QPushButton:hover{color:#00e39b;}"
                   "QPushButton:checked{color:#00e39b;}");

const QString qss_checkable_btn = QStringLiteral(
    "QPushButton{border:1px solid rgba(255,255,255,0.1);border-radius:2px;"
    "background-color:#1e232f;font-size:12px;color:rgba(255,255,255,0.7);text-align:center;}"
    "QPushButton:checked{border:none;background-color:#00e39b;color:white;}"
    "QPushButton:hover{border:1px solid rgba(255,255,255,0.2);}");

const QString qss_click_btn = QStringLiteral(
    "QPushButton{border:1px solid rgba(255,255,255,0.1);border-radius:2px;"
    "background-color:transparent;font-size:12px;color:rgba(255,255,255,0.7);"
    "text-align:center;}"
    "QPushButton:pressed{background-color:#00e39b;color:white;}"
    "QPushButton:hover{border:1px solid rgba(255,255,255,0.2);}"
    "QPushButton:disabled{border:1px solid rgba(255,255,255,0.1);color:rgba(255,255,255,0.2);}");

const QString qss_del_btn =
    QStringLiteral("QPushButton{border:1px solid rgba(255,255,255,0.15);border-radius:7px;"
                   "background-color:transparent;image:url(:/img/del.png);}"
                   "QPushButton:hover{background-color:red;border:none;}");

const QString text_12px = QStringLiteral(
    "background-color:transparent;margin:0px;font-size:12px;color:rgba(255,255,255,0.7);");

const QString text_11px = QStringLiteral(
    "background-color:transparent;margin:0px;font-size:11px;color:rgba(255,255,255,0.7);");

const QString qss_listwidget = QStringLiteral(
    "QListWidget{border:1px solid rgba(255,255,255,0.1);border-radius:2px;"
    "background-color:transparent;padding:4px;font-size:12px;color:rgba(255,255,255,0.7);}"
    "QListWidget::item{padding:4px;}"
    "QScrollBar:vertical{width:15px;border:none;background:transparent;}"
    "QScrollBar::handle:vertical{background:rgba(255,255,255,0.1);margin-left:6px;"
    "margin-right:6px;}"
    "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:transparent;"
    "margin-left:7px;margin-right:7px;}"
    "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{background:transparent;"
    "border:none;}");

QPushButton *page_tab(QWidget *parent, const QString &text, int x)
{
    auto *b = new QPushButton(text, parent);
    // Centred on the 14-pixel line at y 440; the height leaves descenders room.
    b->setGeometry(x, 438, 100, 18);
    b->setCheckable(true);
    b->setStyleSheet(nav_text);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}
