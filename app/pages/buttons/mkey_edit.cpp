#include "pages/buttons/mkey_edit.h"
#include "platform/keycapture.h"

#include <QEvent>
#include <QLineEdit>
#include <QPushButton>

mkey_Edit *mkey_instance = nullptr;

namespace
{
const char *const kFieldStyle =
    "QLineEdit{border:1px solid rgba(255,255,255,0.1);border-radius:2px;"
    "background:#1e232f;font-size:12px;color:rgba(255,255,255,0.7);}"
    "QLineEdit:hover,QLineEdit:focus{border:1px solid #00e39b;}";

// Modifier keys and their bits in the HID boot-keyboard modifier byte.
quint8 modifierBit(unsigned vkey)
{
    switch (vkey) {
    case 0xa2:
        return 0x01; // left Ctrl
    case 0xa0:
        return 0x02; // left Shift
    case 0xa4:
        return 0x04; // left Alt
    case 0x5b:
        return 0x08; // left Windows
    case 0xa3:
        return 0x10; // right Ctrl
    case 0xa1:
        return 0x20; // right Shift
    case 0xa5:
        return 0x40; // right Alt
    case 0x5c:
        return 0x80; // right Windows
    default:
        return 0;
    }
}
} // namespace

mkey_Edit::mkey_Edit(QWidget *parent) : QWidget(parent)
{
    mkey_instance = this;
    key_hook = new KeyCapture(mkey_keyboard_proc, this);

    mkey_line = new QLineEdit(this);
    mkey_line->setGeometry(0, 0, 320, 30);
    mkey_line->setReadOnly(true);
    mkey_line->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    mkey_line->setStyleSheet(QString::fromLatin1(kFieldStyle));
    mkey_line->setContextMenuPolicy(Qt::NoContextMenu);
    mkey_line->installEventFilter(this);

    clear_btn = new QPushButton(tr("清除"), this);
    clear_btn->setGeometry(340, 0, 60, 30);
    clear_btn->setStyleSheet(qss_click_btn);
    clear_btn->setCursor(Qt::PointingHandCursor);

    save_btn = new QPushButton(tr("保存"), this);
    save_btn->setGeometry(410, 0, 60, 30);
    save_btn->setStyleSheet(qss_click_btn);
    save_btn->setCursor(Qt::PointingHandCursor);

    connect(clear_btn, &QPushButton::clicked, this, &mkey_Edit::clear_mkey);
    connect(save_btn, &QPushButton::clicked, this, &mkey_Edit::mkey_save_clicked);
    connect(save_btn, &QPushButton::clicked, mkey_line,
            static_cast<void (QWidget::*)()>(&QWidget::setFocus));
}

mkey_Edit::~mkey_Edit()
{
    key_hook->stop();
    if (mkey_instance == this) mkey_instance = nullptr;
}

void mkey_Edit::startCapture()
{
    key_hook->start(mkey_line);
}

bool mkey_Edit::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == mkey_line) {
        switch (event->type()) {
        case QEvent::FocusIn:
            startCapture();
            mkey_line->update(); // the focused border
            return true;
        case QEvent::FocusOut:
            key_hook->stop();
            mkey_line->update();
            return true;
        case QEvent::MouseButtonPress:
            // The seam may have ended the capture (mouse gone) while the field
            // kept the focus: a click into it captures again.
            if (mkey_line->hasFocus() && !key_hook->isCapturing()) startCapture();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void mkey_Edit::show_mkey()
{
    static const struct {
        quint8 bit;
        const char *name;
    } kOrder[] = {
        {0x01, "CTRL+"},       {0x04, "ALT+"},       {0x02, "SHIFT+"},       {0x08, "WIN+"},
        {0x10, "RIGHT CTRL+"}, {0x40, "RIGHT ALT+"}, {0x20, "RIGHT SHIFT+"}, {0x80, "RIGHT WIN+"},
    };
    QString text;
    for (const auto &m : kOrder)
        if (control_key & m.bit) text += QLatin1String(m.name);
    const QString key = vkeytostring(key_ascii);
    if (!key.isEmpty())
        text += key;
    else if (!text.isEmpty())
        text.chop(1); // the trailing "+"
    mkey_text = text;
    mkey_line->setText(text);
}

void mkey_Edit::clear_mkey()
{
    control_key = 0;
    key_ascii = 0;
    mkey_line->clear();
    mkey_line->setFocus();
    // Focus that never left brings no focus-in; capture all the same.
    if (mkey_line->hasFocus() && !key_hook->isCapturing()) startCapture();
}

qintptr mkey_keyboard_proc(int code, unsigned message, unsigned vkey)
{
    mkey_Edit *e = mkey_instance;
    if (!e) return 1;
    if (code == 0) message &= ~4u;   // system key down / up count as key down / up
    if (vkey >= MAXKEYNUM) return 1; // 255 and anything larger is never tracked
    if (message == 0x100) {
        if (e->key_pressed[vkey]) return 1; // auto-repeat of a held key
        e->key_pressed[vkey] = true;
        if (const quint8 bit = modifierBit(vkey))
            e->control_key |= bit;
        else
            e->key_ascii = quint8(vkey);
        e->show_mkey();
    } else if (message == 0x101) {
        e->key_pressed[vkey] = false;
    }
    return 1;
}
