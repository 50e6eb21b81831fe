#include "MibViewU.h"

TfrmMIBView::TfrmMIBView(QWidget *parent) : QWidget(parent, Qt::Window)
{
    ui.setupUi(this);
    setMinimumSize(MinimumSide, MinimumSide);
}
