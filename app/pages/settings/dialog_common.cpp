#include "pages/settings/dialog_common.h"
#include "view/pictures.h"

namespace dialog_common
{

void decorate(QWidget *dialog, const QString &panelImage, const QString &title)
{
    dialog->setFixedSize(1100, 750);
    dialog->setAttribute(Qt::WA_StyledBackground, true);
    dialog->setObjectName(QStringLiteral("dialog"));
    dialog->setStyleSheet(QStringLiteral("#dialog{background-color:rgba(0,0,0,0.85)}"));
    auto *panel = new QLabel(dialog);
    panel->setGeometry(137, 103, 826, 556);
    // The dialogs start hidden; most runs never open them.
    pictures::set_when_shown(panel, panelImage);
    text(dialog, title, QRect(165, 123, 770, 50),
         QStringLiteral("font-size:14px;color:rgba(255,255,255,0.7)"));
}

QLabel *text(QWidget *parent, const QString &content, const QRect &r, const QString &style)
{
    auto *l = new QLabel(content, parent);
    // Centred on the line it is given, with room above and below it, so that
    // the descenders of Latin text are not cut off.
    l->setGeometry(r.adjusted(0, -4, 0, 4));
    l->setAlignment(Qt::AlignCenter);
    l->setStyleSheet(style);
    return l;
}

QPushButton *closeButton(QWidget *parent)
{
    auto *b = new ImageButton(parent, QStringLiteral(":/img/close.png"),
                              QStringLiteral(":/img/close_hover.png"));
    b->setGeometry(904, 142, 12, 12);
    b->setCursor(Qt::PointingHandCursor);
    return b;
}

} // namespace dialog_common
