// The part of the keyboard capture that both platforms share: which captures
// run, in which order, and ending them when their window goes away.
#include "platform/keycapture.h"

#include <QCoreApplication>
#include <QEvent>
#include <QVector>
#include <QWidget>

namespace
{
// Running captures in the order they were started; the last one gets the keys.
QVector<KeyCapture *> &running()
{
    static QVector<KeyCapture *> list;
    return list;
}

void stopAllOnQuit()
{
    static bool connected = false;
    if (connected || !QCoreApplication::instance()) return;
    connected = true;
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit,
                     &KeyCapture::stopAll);
}
} // namespace

KeyCapture::KeyCapture(Procedure procedure, QObject *parent)
    : QObject(parent), m_procedure(procedure)
{
}

KeyCapture::~KeyCapture()
{
    stop();
}

bool KeyCapture::start(QWidget *owner)
{
    if (m_capturing) return m_systemWide;
    if (!owner || !m_procedure) return false;
    stopAllOnQuit();
    m_owner = owner;
    m_window = owner->window();
    m_window->installEventFilter(this);
    m_capturing = true;
    running().push_back(this);
    m_systemWide = platformStart();
    return m_systemWide;
}

void KeyCapture::stop()
{
    if (!m_capturing) return;
    platformStop();
    m_systemWide = false;
    m_capturing = false;
    running().removeAll(this);
    if (m_window) m_window->removeEventFilter(this);
    m_window = nullptr;
    m_owner = nullptr;
}

void KeyCapture::endBySeam()
{
    if (!m_capturing) return;
    stop();
    emit ended();
}

bool KeyCapture::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window) {
        switch (event->type()) {
        case QEvent::Hide:
        case QEvent::WindowDeactivate:
        case QEvent::Close:
        case QEvent::Destroy:
            endBySeam();
            break;
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

bool KeyCapture::grabHeld()
{
    for (KeyCapture *c : running())
        if (c->m_systemWide) return true;
    return false;
}

bool KeyCapture::othersHoldGrab() const
{
    for (KeyCapture *c : running())
        if (c != this && c->m_systemWide) return true;
    return false;
}

bool KeyCapture::anyCapturing()
{
    return !running().isEmpty();
}

KeyCapture *KeyCapture::current()
{
    return running().isEmpty() ? nullptr : running().constLast();
}

void KeyCapture::stopAll()
{
    // Ending one capture may make its client start or stop another.
    const QVector<KeyCapture *> list = running();
    for (KeyCapture *c : list)
        if (running().contains(c)) c->endBySeam();
}
