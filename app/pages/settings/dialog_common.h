// Pieces both full-window dialogs share.
#ifndef DIALOG_COMMON_H
#define DIALOG_COMMON_H

#include <QLabel>
#include <QPushButton>
#include <QString>

namespace dialog_common
{

// The translucent backdrop and the panel picture.
void decorate(QWidget *dialog, const QString &panelImage, const QString &title);
QLabel *text(QWidget *parent, const QString &content, const QRect &r, const QString &style);
QPushButton *closeButton(QWidget *parent);

} // namespace dialog_common

#endif
