#ifndef DISCONNECT_WIDGET_H
#define DISCONNECT_WIDGET_H

#include <QWidget>

class QLabel;

// The page shown while no mouse is attached.
class disconnect_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit disconnect_Widget(QWidget *parent = nullptr);

    // The instruction line: check the plug (the default), or, for a mouse that
    // is there but may not be opened, how to install the udev rule `ruleFile`.
    void show_plug_instruction();
    void show_access_hint(const QString &ruleFile);

    QLabel *instruction;
};

#endif // DISCONNECT_WIDGET_H
