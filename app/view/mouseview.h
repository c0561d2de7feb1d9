// app/view: the mouse picture (resource pictures, recolouring, built-in pixels, the animation
// engine).
//
// The mouse picture: the window's animated view of the mouse with its two
// lighting zones. It owns the picture label, the zone masks and the
// transition between views (frame folders, the frames decoded ahead of each
// step, the view made ready before the last one); the window says which view
// to show and when a zone's colour changed.
#ifndef MOUSEVIEW_H
#define MOUSEVIEW_H

#include <QImage>
#include <QObject>
#include <QPixmap>
#include <QRect>
#include <QString>

class FrameLabel;
class QLabel;
class QTimer;
class QWidget;

class MouseView : public QObject
{
    Q_OBJECT
public:
    // The frame folder joining two views, and each view's position in it
    // (0 for the first view named, 15 for the second); null for the same view.
    struct FrameFolder {
        const char *name;
        int first;
        int second;
    };
    static const FrameFolder *frame_folder(int viewA, int viewB);

    MouseView();

    // Makes the picture and its masks inside window, over area, showing the
    // three-quarter view; called once, where they belong in the window's
    // stacking order.
    void build(QWidget *window, const QRect &area);
    FrameLabel *label() const { return m_label; }
    QLabel *wheelMask() const { return m_wheelMask; }
    QLabel *rearMask() const { return m_rearMask; }
    // Steps a transition every 40 ms; the window connects its timeout to its
    // own slot, which calls step().
    QTimer *timer() const { return m_timer; }

    // Moves from mouse_status towards after_status, starting at frame no.
    void start(int no);
    // Starts the move towards after_status from whichever end of the frame
    // folder the shown view is.
    void startTowardsTarget();
    // One step; the view it ended on once the picture stands on after_status,
    // -1 while it moves (or when there are no frames for the move).
    int step();
    // A view at once, tinted from the status records.
    void showView(int view);
    // A jump to a picture (attach, factory reset): a transition cut short
    // leaves nothing behind.
    void jumpTo(const QString &path);

    // A zone tinted again after a change on the lighting page; shown tells
    // whether its mask is shown as well.
    void tintFront(QRgb colour, bool show);
    void tintRear(QRgb colour, bool show);
    // The rear zone's "magic" picture in place of its mask.
    void showRearMagic();
    void hideMasks();

    int animation_no = 0;
    QString picture_path; // resource shown in the picture

protected:
    void customEvent(QEvent *event) override;

private:
    // The transition's frames: the one shown and the next, decoded in the
    // gap between the two steps into the memory of the one before.
    struct FrameBuffer {
        QImage image;
        QImage composed; // over the window's background, as the picture paints it
        QString path;    // empty while it holds no frame
    };
    // A view with its zones tinted and cropped, made ready before the
    // transition's last step; used when what it was made from still holds.
    struct ViewParts {
        int view = -1;
        QRgb wheelColour = 0, rearColour = 0;
        bool magic = false;
        QPixmap base;
        QImage composed;             // base over the window's background, when made in a gap
        QImage wheel, rear;          // the whole tinted masks (kept for a re-tint)
        QRect wheelRect, rearRect;   // where the masks' lit parts go
        QPixmap wheelPart, rearPart; // those parts
    };

    ViewParts buildView(int view) const;
    bool preparedFor(const ViewParts &parts, int view) const;
    void postPrefetch();
    void prefetch(); // the transition's next step, ahead of its timer
    void releaseFrames();
    void setFrame(const QString &path); // one step of a view transition
    int loadFrame(const QString &path); // the buffer holding it, -1 when there is none
    void setMask(QLabel *mask, const QImage &img);
    void placeMask(QLabel *mask, const QRect &r, const QPixmap &part);
    QRect maskRect(const QImage &img, const QRect &lit) const;
    static QString framePath(const FrameFolder *f, int no);

    FrameLabel *m_label = nullptr;
    QLabel *m_wheelMask = nullptr;
    QLabel *m_rearMask = nullptr;
    QTimer *m_timer;
    FrameBuffer m_frames[2];
    int m_shownFrame = -1; // the buffer the picture shows, -1 for none
    QImage m_frameScratch; // what the decoder reads into
    ViewParts m_preparedView;
    bool m_prefetchPosted = false;
};

#endif
