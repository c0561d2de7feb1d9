// Loading the resource pictures. Their names carry no ".png", and a reader
// given neither a suffix nor a format loads every image plugin to ask each
// whether it knows the data; so the format is named here. Pictures of widgets
// that start hidden are decoded when the widget is first shown, and a page
// that shows part of the window's background paints it from the window's own
// picture instead of keeping a copy.
#ifndef PICTURES_H
#define PICTURES_H

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>

namespace pictures
{

QPixmap pixmap(const QString &path);
QImage image(const QString &path);
QIcon icon(const QString &path);

// Decodes the picture at path into *frame as a pixmap of it would hold it
// (32-bit, premultiplied when it has alpha), in the memory *scratch and *frame
// already have when the sizes match: the frames of the view transitions, one
// after the other, without fresh memory each. False (and *frame left) when
// there is no such picture.
bool decode_frame(const QString &path, QImage *scratch, QImage *frame);

// Gives label the picture at path when the label is first shown, unless it has
// been given a picture by then.
void set_when_shown(QLabel *label, const QString &path);

} // namespace pictures

// Paints the part of the window's background that lies under it, placed at
// windowOffset within the window (pages of the stack sit at x 180). A label
// like the picture it stands for, but without pixels of its own.
class Backdrop : public QLabel
{
public:
    Backdrop(QWidget *parent, const QPoint &windowOffset);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPoint m_offset;
    QPixmap m_background; // shares the window's pixels
};

#endif
