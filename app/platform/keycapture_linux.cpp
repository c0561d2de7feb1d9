// Linux: an X11 keyboard grab on the capturing widget's window, so keys typed
// anywhere come to this program and to no other, and an application-wide event
// filter that hands each key press and release to the current capture's
// procedure as the Windows hook would, and keeps it from every widget.
#include "platform/keycapture.h"
#include "platform/x11keys.h"

#include <QApplication>
#include <QGuiApplication>
#include <QCursor>
#include <QDebug>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>

namespace
{

class KeyFilter : public QObject
{
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if (type != QEvent::KeyPress && type != QEvent::KeyRelease &&
            type != QEvent::ShortcutOverride)
            return QObject::eventFilter(watched, event);
        KeyCapture *capture = KeyCapture::current();
        if (!capture) return QObject::eventFilter(watched, event);
        if (type == QEvent::ShortcutOverride) {
            // Accepted, so no shortcut fires; the key press follows and is ours.
            event->accept();
            return true;
        }
        x11keys::KeyMessage m;
        if (!x11keys::translate(static_cast<QKeyEvent *>(event), &m))
            return true; // a repeat's release or a key without a code: still not for widgets
        return capture->procedure()(0, m.message, m.vkey) != 0;
    }
};

void installFilterOnce()
{
    static KeyFilter *filter = nullptr;
    if (filter || !qApp) return;
    filter = new KeyFilter;
    filter->setParent(qApp);
    qApp->installEventFilter(filter);
}

} // namespace

bool KeyCapture::platformStart()
{
    installFilterOnce();
    QWidget *top = m_owner ? m_owner->window() : nullptr;
    QWindow *handle = top ? top->windowHandle() : nullptr;
    // Only an X11 server has a keyboard grab for the whole desktop.
    if (!handle || !top->isVisible() || QGuiApplication::platformName() != QLatin1String("xcb"))
        return false;
    if (!handle->setKeyboardGrabEnabled(true)) {
        qDebug() << "keyboard grab refused";
        return false;
    }
    m_grabWindow = handle;
    return true;
}

void KeyCapture::platformStop()
{
    // The program holds one grab for all its captures: keep it while another
    // capture relies on it.
    QWindow *handle = qobject_cast<QWindow *>(m_grabWindow.data());
    if (handle && !othersHoldGrab()) {
        handle->setKeyboardGrabEnabled(false);
        // The toolkit only queues the ungrab; a request that waits for its
        // reply sends it now, so the keyboard is free when stop() returns.
        QCursor::pos();
    }
    // A destroyed window took its grab with it.
    m_grabWindow = nullptr;
}
