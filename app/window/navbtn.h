// A navigation entry of the main window: icon and label painted by hand so
// that the icon follows the checked and hover states.
#ifndef NAVBTN_H
#define NAVBTN_H

#include <QPushButton>

class Navbtn : public QPushButton
{
    Q_OBJECT
public:
    enum HoverState { NORMAL, HOVER, PRESS };

    // iconName: the name of its pictures under ":/img/"; text: the label shown.
    Navbtn(const QString &iconName, const QString &text, QWidget *parent = nullptr);

    QString iconName;
    QString btntext;
    HoverState state() const { return m_state; }
    // Icon path and text colour for the current state (what paintEvent draws).
    QString iconPath() const;
    QColor textColor() const;
    // Where the label is drawn, beside the icon.
    static QRect textRect() { return QRect(36, 0, 80, 20); }

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    HoverState m_state = NORMAL;
};

#endif
