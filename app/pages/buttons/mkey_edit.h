// The custom key combination editor: while its field has the focus every key
// of the desktop is captured (and kept from other programs); modifiers
// accumulate and the last other key counts. "保存" announces the combination,
// which the button page sends.
#ifndef MKEY_EDIT_H
#define MKEY_EDIT_H

#include "device/kivomouse.h"

#include <QString>
#include <QWidget>

class KeyCapture;
class QLineEdit;
class QPushButton;

class mkey_Edit : public QWidget
{
    Q_OBJECT
public:
    explicit mkey_Edit(QWidget *parent = nullptr);
    ~mkey_Edit() override;

    quint8 control_key = 0; // HID boot-keyboard modifier bits
    quint8 key_ascii = 0;   // virtual key of the one other key, 0 = none
    QString mkey_text;
    QLineEdit *mkey_line;
    QPushButton *clear_btn;
    QPushButton *save_btn;
    KeyCapture *key_hook;
    bool key_pressed[MAXKEYNUM] = {};

    bool eventFilter(QObject *watched, QEvent *event) override;

signals:
    void mkey_save_clicked();

public slots:
    void show_mkey();
    void clear_mkey();

private:
    void startCapture();
};

// The editor, for the keyboard procedure (there is exactly one).
extern mkey_Edit *mkey_instance;

// Keyboard procedure while the field has the focus: code is the hook code
// (0 = an action), message 0x100/0x101 (system variants 0x104/0x105 count the
// same), vkey the Windows virtual-key code. Returns 1: every key is consumed.
qintptr mkey_keyboard_proc(int code, unsigned message, unsigned vkey);

#endif
