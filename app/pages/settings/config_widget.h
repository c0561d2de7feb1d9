// app/pages/settings: the settings page and its two full-window dialogs (factory reset, firmware
// update).
//
// The settings page: firmware and program versions, the entry to both updates.
#ifndef CONFIG_WIDGET_H
#define CONFIG_WIDGET_H

#include <QPixmap>
#include <QWidget>

class QLabel;
class QPushButton;

class config_Widget : public QWidget
{
    Q_OBJECT
public:
    explicit config_Widget(QWidget *parent = nullptr);
    // The program's own version as the page shows it when nothing is on offer.
    static QString program_version_text();

    QPushButton *version;
    QPushButton *firmware_version;
    QLabel *fw_update_icon;
    QLabel *soft_update_icon;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_background; // the window's background picture, shared with it
};

#endif
