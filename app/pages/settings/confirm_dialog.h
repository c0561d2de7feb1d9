// Full-window overlay asking to confirm the factory reset.
#ifndef CONFIRM_DIALOG_H
#define CONFIRM_DIALOG_H

#include <QWidget>

class QPushButton;

class Confirm_Dialog : public QWidget
{
    Q_OBJECT
public:
    explicit Confirm_Dialog(QWidget *parent = nullptr);

    QPushButton *confirm_btn;
    QPushButton *cancel_btn;
    QPushButton *close_btn;

signals:
    void confirm_clicked();
};

#endif
