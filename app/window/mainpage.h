#ifndef MAINPAGE_H
#define MAINPAGE_H

#include <QWidget>

class QLabel;
class hoverbtn;

// The welcome page: a greeting and a row of eight feature tiles; hovering a
// tile shows what that feature is about in place of the greeting.
class Mainpage : public QWidget
{
    Q_OBJECT
public:
    explicit Mainpage(QWidget *parent = nullptr);

    QLabel *text;
    hoverbtn *feture1;
    hoverbtn *feture2;
    hoverbtn *feture3;
    hoverbtn *feture4;
    hoverbtn *feture5;
    hoverbtn *feture6;
    hoverbtn *feture7;
    hoverbtn *feture8;

public slots:
    void change_label();
    void show_welcome();

private:
    hoverbtn *tile(int index) const;
};

#endif // MAINPAGE_H
