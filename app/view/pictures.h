// Loading the resource pictures. They are all PNG: the 8-bit RGB and RGBA ones
// are decoded with libpng as Qt's own reader decodes them (any image reader
// first lists the image plugins, reading each one's file), the palette ones
// by Qt's own reader (one left to detect the format loads every image plugin,
// and QtSvg, to ask each whether it knows the data). Pictures of widgets
// that start hidden are decoded when the widget is first shown, and a page
// that shows part of the window's background paints it from the window's own
// picture instead of keeping a copy.
#ifndef PICTURES_H
#define PICTURES_H

#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>

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

// A button showing a picture, and another under the pointer, where a style
// sheet's image would put them (centred, at most the button's size); its
// sheet, without them, draws the rest. Through a sheet the pictures would be
// read by every image plugin, all loaded while the window is being built.
class ImageButton : public QPushButton
{
public:
    ImageButton(QWidget *parent, const QString &picture, const QString &hover);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    const QIcon m_picture;
    const QIcon m_hover;
};

// The mouse picture: a label whose picture changes 14 times in a transition.
// It repaints only where the old or the new picture lies (600 x 390 of its
// 920 x 390), and it paints the picture as a label given it would. Given
// what lies under it (a backdrop), it paints that itself, and a picture
// composed over it in advance is then one opaque copy.
class FrameLabel : public QLabel
{
public:
    explicit FrameLabel(QWidget *parent = nullptr) : QLabel(parent) {}
    // The window's background, with the label at offset within the window.
    void setBackdrop(const QPixmap &backdrop, const QPoint &offset);
    // frame over the backdrop where the label puts it, as it would paint
    // them; null without a backdrop.
    QImage compose(const QImage &frame) const;
    // composed: compose(frame), made earlier, for the next paint; or null to
    // paint them as they are.
    void setFrame(const QPixmap &frame, const QImage &composed = QImage());
    QPixmap frame() const { return m_frame; }
    // Where the picture lies within the label (empty without one).
    QRect frameRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QRect frameRect(const QSize &size) const;
    QPixmap m_frame;
    QImage m_composed;
    QPixmap m_backdrop;
    QPoint m_offset;
};

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
