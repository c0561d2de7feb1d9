// Full-window overlay of the firmware update: confirmation, progress, result.
#ifndef UPDATE_DIALOG_H
#define UPDATE_DIALOG_H

#include <QWidget>

class QLabel;
class QProgressBar;
class QPushButton;

class Update_Dialog : public QWidget
{
    Q_OBJECT
public:
    explicit Update_Dialog(QWidget *parent = nullptr);

    QLabel *dg_icon;
    QLabel *text_1;
    QLabel *text_2;
    QPushButton *start_btn;
    QPushButton *close_btn;
    QProgressBar *prog_bar;

    static QString warning();

signals:
    void update_clicked();

public slots:
    void show_dialog();
    void start_update();
};

#endif
