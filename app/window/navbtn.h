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

    explicit Navbtn(const QString &text, QWidget *parent = nullptr);

    QString btntext;
    HoverState state() const { return m_state; }
    // Icon path and text colour for the current state (what paintEvent draws).
    QString iconPath() const;
    QColor textColor() const;

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    HoverState m_state = NORMAL;
};

#endif
