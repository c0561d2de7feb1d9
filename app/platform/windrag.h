// Moving the frameless main window by dragging its background.
#ifndef WINDRAG_H
#define WINDRAG_H

class QWidget;

// Hands the drag to the window system; true when it took it.
bool start_window_drag(QWidget *window);

#endif
