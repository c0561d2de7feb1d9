#ifndef DISCONNECT_WIDGET_H
#define DISCONNECT_WIDGET_H

#include <QWidget>

// The page shown while no mouse is attached.
class disconnect_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit disconnect_Widget(QWidget *parent = nullptr);
};

#endif // DISCONNECT_WIDGET_H
