#ifndef HOVERBTN_H
#define HOVERBTN_H

#include <QRect>
#include <QString>
#include <QVariant>
#include <QWidget>

class QVariantAnimation;

// A feature tile of the welcome page: a disc with an icon and a caption that
// turns green and rises while the pointer is over it.
class hoverbtn : public QWidget
{
    Q_OBJECT
public:
    explicit hoverbtn(QWidget *parent = nullptr);

    int space = 10;   // vertical offset of the drawing
    QString iconpath; // resource path of the icon
    QString text;     // caption

    // Current lift of the disc in pixels, 0 at rest, 10 fully raised.
    int lift() const { return move_h; }
    // Where the caption is drawn, at the current lift: centred on a 12-pixel
    // line, with room for descenders.
    QRect captionRect() const { return QRect(0, 80 + space - move_h, 90, 16); }

signals:
    void in();
    void out();

public slots:
    void on_height_changed(QVariant value);

protected:
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void run(bool rise);

    QVariantAnimation *animation;
    int move_h = 0;
};

#endif // HOVERBTN_H
