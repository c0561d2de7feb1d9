#include "colorpicker.h"

ColorPicker::ColorPicker(QWidget *parent) : QWidget(parent)
{
    hide();
}
