// app/platform: the seam for every Windows-only interface; _win.cpp and _linux.cpp files are chosen
// by the build.
//
// System-wide keyboard capture for the key editors (custom key, macro recorder).
//
// How a client uses it:
//   - Write the procedure as a plain function over (hook code, message,
//     virtual key), e.g. `qintptr mkey_keyboard_proc(int code, unsigned
//     message, unsigned vkey)`. Messages are those of Windows: key down 0x100,
//     key up 0x101, system key down 0x104, system key up 0x105; the virtual
//     key is a Windows virtual-key code. Return non-zero to consume the key.
//   - Own one KeyCapture made with that procedure. Call start(widget) when
//     capturing should begin (the field gets the focus, "record" is clicked)
//     and stop() when it should end. Both are cheap and safe to repeat.
//   - Connect ended() if the client shows its state: the seam itself ends a
//     capture when the widget's window is hidden or deactivated, and on
//     stopAll() (mouse unplugged, quit).
// While a capture runs, every key press and release of the desktop reaches the
// procedure of the most recently started capture, on the GUI thread.
//
// Windows: a low-level keyboard hook (SetWindowsHookExW, type 13) per capture.
// Linux: an X11 keyboard grab on the widget's window plus an application-wide
// event filter; the virtual key comes from the X11 key code (x11keys.h). A grab
// that outlived its capture would lock the user out of the keyboard, so every
// way a capture ends releases it, and grabHeld() says whether one is held.
#ifndef KEYCAPTURE_H
#define KEYCAPTURE_H

#include <QObject>
#include <QPointer>
#include <QtGlobal>

class QWidget;

namespace keymsg
{
constexpr unsigned KeyDown = 0x100;
constexpr unsigned KeyUp = 0x101;
constexpr unsigned SysKeyDown = 0x104;
constexpr unsigned SysKeyUp = 0x105;
} // namespace keymsg

class KeyCapture : public QObject
{
    Q_OBJECT
public:
    using Procedure = qintptr (*)(int code, unsigned message, unsigned vkey);

    explicit KeyCapture(Procedure procedure, QObject *parent = nullptr);
    ~KeyCapture() override; // stops

    // Begins capturing for `owner`, whose window is grabbed and watched.
    // Returns whether the system-wide part (hook, grab) was installed; the
    // result is not needed by clients, which carry on either way. Starting a
    // running capture again returns the same answer and changes nothing.
    bool start(QWidget *owner);
    // Ends the capture and releases what it holds. Emits nothing.
    void stop();

    bool isCapturing() const { return m_capturing; }
    // Whether this capture holds the hook or grab right now.
    bool holdsGrab() const { return m_systemWide; }
    Procedure procedure() const { return m_procedure; }

    // Whether any capture of the program holds the hook or grab.
    static bool grabHeld();
    // Whether any capture is running.
    static bool anyCapturing();
    // The capture that receives keys: the most recently started running one.
    static KeyCapture *current();
    // Ends every running capture, each emitting ended().
    static void stopAll();

signals:
    // The seam ended the capture on its own (window hidden or deactivated,
    // stopAll()); not emitted by stop().
    void ended();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void endBySeam();
    // Whether another running capture holds the hook or grab.
    bool othersHoldGrab() const;
    // Implemented once per platform (keycapture_win.cpp, keycapture_linux.cpp).
    bool platformStart();
    void platformStop();

    Procedure m_procedure;
    bool m_capturing = false;
    bool m_systemWide = false;
    QPointer<QWidget> m_owner;
    QPointer<QObject> m_window;     // the owner's top-level widget, watched
    QPointer<QObject> m_grabWindow; // Linux: the QWindow holding the grab
    void *m_hook = nullptr;         // Windows: the HHOOK
};

#endif
