// DPI panel of the pointer page: five levels, each a slider of 1 ... 144
// (value x 50 = DPI) with its title and value label.
#ifndef DPI_WIDGET_H
#define DPI_WIDGET_H

#include <QWidget>

class QButtonGroup;
class QLabel;
class QPushButton;
class QSlider;

// Where the handle of a level slider is drawn: a press elsewhere on the groove
// does not move it.
QRect slider_handle_rect(const QSlider *s);

class dpi_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit dpi_Widget(QWidget *parent = nullptr);

    QLabel *level1_title, *level2_title, *level3_title, *level4_title, *level5_title;
    QSlider *dpi_level1, *dpi_level2, *dpi_level3, *dpi_level4, *dpi_level5;
    QLabel *value1, *value2, *value3, *value4, *value5;
    QPushButton *level_1, *level_2, *level_3, *level_4, *level_5;
    QButtonGroup *level_btn; // ids 0 ... 4: how many levels are in use, minus one

    QLabel *title(int level) const;   // level 1 ... 5
    QSlider *slider(int level) const; // level 1 ... 5
    QLabel *value(int level) const;   // level 1 ... 5

    // Shows a 0xC2 reply (32 bytes, report id first) without sending anything.
    void fill(const unsigned char *status);

public slots:
    void dpi1_changed();
    void dpi2_changed();
    void dpi3_changed();
    void dpi4_changed();
    void dpi5_changed();
    void dpi_clicked1();
    void dpi_clicked2();
    void dpi_clicked3();
    void dpi_clicked4();
    void dpi_clicked5();
    void dpi_update1();
    void dpi_update2();
    void dpi_update3();
    void dpi_update4();
    void dpi_update5();
    void dpi_clicked(int current_level);
    void dpi_update(int current_level);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void highlight(int level); // 1 ... 5; any other number highlights none
    void show_value(int level, int v);
    void send_levels(int current_level);
};

#endif
