#include "paperview.h"

PaperView::PaperView(QWidget *parent)
    : QWidget(parent)
{
}
