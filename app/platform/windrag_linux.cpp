#include "platform/windrag.h"

#include <QWidget>
#include <QWindow>

bool start_window_drag(QWidget *window)
{
    QWindow *handle = window->windowHandle();
    return handle && handle->startSystemMove();
}
