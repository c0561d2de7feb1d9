#include "pictures.h"

#include "rawpicture.h"

#include <QEvent>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>

namespace pictures
{

QPixmap pixmap(const QString &path)
{
    // Built-in pixels are used where they lie: no decoding, no copy.
    const QImage raw = rawpicture::image(path);
    if (!raw.isNull()) return QPixmap::fromImage(raw);
    // Through the pixmap cache, like QPixmap(path): the same name is decoded once
    // while its pixmap is in use or cached.
    return QPixmap(path, "PNG");
}

QImage image(const QString &path)
{
    return QImage(path, "PNG");
}

QIcon icon(const QString &path)
{
    return QIcon(pixmap(path));
}

namespace
{
class SetWhenShown : public QObject
{
public:
    SetWhenShown(QLabel *label, const QString &path) : QObject(label), m_path(path) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            auto *label = static_cast<QLabel *>(watched);
            if (label->pixmap(Qt::ReturnByValue).isNull()) label->setPixmap(pixmap(m_path));
            label->removeEventFilter(this);
            deleteLater();
        }
        return false;
    }

private:
    QString m_path;
};
} // namespace

void set_when_shown(QLabel *label, const QString &path)
{
    label->installEventFilter(new SetWhenShown(label, path));
}

} // namespace pictures

Backdrop::Backdrop(QWidget *parent, const QPoint &windowOffset)
    : QLabel(parent), m_offset(windowOffset),
      m_background(pictures::pixmap(QStringLiteral(":/img/background")))
{
}

void Backdrop::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    const QRect r = event->rect();
    p.drawPixmap(r.topLeft(), m_background, r.translated(m_offset));
}
