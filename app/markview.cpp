#include "markview.h"

MarkView::MarkView(QWidget *parent)
    : QWidget(parent)
{
}
