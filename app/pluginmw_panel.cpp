#include "pluginmw.h"

#include "jobpipeline.h"
#include "panellists.h"
#include "ui_pluginmw.h"

#include <QPainterPath>
#include <QRegion>
#include <QScreen>

#include <algorithm>

void PluginMW::on_configBtn_clicked()
{
    if (ui->configWidget->isHidden()) {
        ui->configBtn->setToolTip(tr("<font size=4><font color=blue>Retract Settings"));
        spreadPanel();
    } else {
        ui->configBtn->setToolTip(tr("<font size=4><font color=blue>Spread Settings"));
        foldPanel();
        repaint();
    }
    fitMask();
}

// The panel may need more width than the bar. The window then widens
// towards the side the screen has room on, and the row of buttons keeps its
// place on the screen, so no button moves under the mouse.
void PluginMW::spreadPanel()
{
    const QMargins outer = ui->verticalLayout->contentsMargins();
    const int need = ui->configWidget->minimumSizeHint().width() + outer.left() + outer.right();
    const int grow = std::max(0, need - width());
    const QRect avail = screen()->availableGeometry();
    const int right = std::min(grow, std::max(0, avail.right() - geometry().right()));
    const int left = grow - right;
    ui->btnLayout->setContentsMargins(left, 0, right, 0);
    move(x() - left, y());
    resize(width() + grow, height());
    ui->configWidget->show();
}

// Back to the bar alone, as wide and where it was.
void PluginMW::foldPanel()
{
    const QMargins row = ui->btnLayout->contentsMargins();
    ui->configWidget->hide();
    ui->btnLayout->setContentsMargins(0, 0, 0, 0);
    // the window's least size shrinks back before it is resized
    ui->verticalLayout->activate();
    move(x() + row.left(), y());
    resize(width() - row.left() - row.right(), ui->genMark->height() + 12);
}

void PluginMW::fitMask()
{
    // Without a compositor the translucent window paints its empty part
    // black and takes its clicks; with the panel folded only the bar counts.
    if (!ui->configWidget->isHidden()) {
        clearMask();
        return;
    }
    QPainterPath bar;
    bar.addRoundedRect(QRectF(0, 0, width(), ui->genMark->height() + 12), 25.0, 25.0);
    setMask(QRegion(bar.toFillPolygon().toPolygon()));
}

void PluginMW::on_markSelect_currentIndexChanged(int index)
{
    const QList<QWidget *> sizeRows = { ui->markWidthLbl, ui->markWidth, ui->markHeightLbl,
        ui->markHeight, ui->markWeightLbl, ui->markWeight };
    const auto shape = MarkShape(index);
    if (shape == MarkShape::Cross || shape == MarkShape::RightAngle) {
        ui->genMark->setIcon(
            QIcon(shape == MarkShape::Cross ? QStringLiteral(":/png/MarkCrossBtn.png")
                                            : QStringLiteral(":/png/MarkRtAngleBtn.png")));
        for (QWidget *w : sizeRows)
            w->show();
        ui->markDiameterLbl->hide();
        ui->markDiameter->hide();
    } else if (shape == MarkShape::Circle) {
        ui->genMark->setIcon(QIcon(QStringLiteral(":/png/MarkCircleBtn.png")));
        for (QWidget *w : sizeRows)
            w->hide();
        ui->markDiameterLbl->show();
        ui->markDiameter->show();
    }
}

void PluginMW::on_outlineSelect_currentIndexChanged(int index)
{
    switch (OutlineAction(index)) {
    case OutlineAction::LayerOnly:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Layer Only"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/LayerBtn.png")));
        break;
    case OutlineAction::Boundary:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Boundary"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/OutlineBtn.png")));
        break;
    case OutlineAction::Contour:
        ui->genOutline->setToolTip(tr("<font size=4><font color=blue>Create Contour"));
        ui->genOutline->setIcon(QIcon(QStringLiteral(":/png/OutlineBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_printSelect_currentIndexChanged(int index)
{
    switch (PrintAction(index)) {
    case PrintAction::Print:
        ui->setPrint->setToolTip(tr("<font size=4><font color=blue>Adjust Printable"));
        ui->setPrint->setIcon(QIcon(QStringLiteral(":/png/PrintBtn.png")));
        break;
    case PrintAction::Pdf:
        ui->setPrint->setToolTip(tr("<font size=4><font color=blue>Adjust & Save PDF"));
        ui->setPrint->setIcon(QIcon(QStringLiteral(":/png/SavePdfBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_cutSelect_currentIndexChanged(int index)
{
    switch (CutMode(index)) {
    case CutMode::DirectlyCut:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>Directly Cut"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/DirectCutBtn.png")));
        break;
    case CutMode::ByPathAndMarks:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>By Path & Marks"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/CutBtn.png")));
        break;
    case CutMode::BlankPaper:
        ui->setCut->setToolTip(tr("<font size=4><font color=blue>Blank Paper"));
        ui->setCut->setIcon(QIcon(QStringLiteral(":/png/BlankCutBtn.png")));
        break;
    default:
        break;
    }
}

void PluginMW::on_painter_configChanged()
{
    MarkView *mark = ui->markView;
    PaperView *paper = ui->paperView;
    paper->figureMode = ui->byFigure->isChecked();
    // The paper shows a millimetre as a pixel, the single mark as two.
    const auto shape = MarkShape(ui->markSelect->currentIndex());
    if (isEntry(shape)) {
        // a circle's line weight is unused: it is drawn filled
        const bool circle = shape == MarkShape::Circle;
        mark->shape = paper->shape = shape;
        paper->markW = (circle ? ui->markDiameter : ui->markWidth)->value();
        paper->markH = (circle ? ui->markDiameter : ui->markHeight)->value();
        paper->lineWeight = (circle ? ui->markDiameter : ui->markWeight)->value();
        mark->markW = 2 * paper->markW;
        mark->markH = 2 * paper->markH;
        mark->lineWeight = 2 * paper->lineWeight;
    }
    const auto colour = MarkColour(ui->markColor->currentIndex());
    if (isEntry(colour))
        mark->colorIndex = paper->colorIndex = colour;
    paper->topMargin = ui->topRev->value();
    paper->leftMargin = ui->leftRev->value();
    paper->rightMargin = ui->rightRev->value();
    paper->bottomMargin = ui->bottomRev->value();
    update();
}

void PluginMW::on_isSegment_clicked(bool checked)
{
    if (checked) {
        ui->bySegPieces->setEnabled(true);
        ui->bySegLength->setEnabled(true);
        if (ui->bySegPieces->isChecked())
            ui->ySegPieces->setEnabled(true);
        else if (ui->bySegLength->isChecked())
            ui->ySegLength->setEnabled(true);
    } else {
        ui->bySegPieces->setEnabled(false);
        ui->bySegLength->setEnabled(false);
        ui->ySegPieces->setEnabled(false);
        ui->ySegLength->setEnabled(false);
    }
}

void PluginMW::on_bySegPieces_clicked(bool checked)
{
    if (checked) {
        ui->ySegPieces->setEnabled(true);
        ui->ySegLength->setEnabled(false);
    }
}

void PluginMW::on_bySegLength_clicked(bool checked)
{
    if (checked) {
        ui->ySegPieces->setEnabled(false);
        ui->ySegLength->setEnabled(true);
    }
}

void PluginMW::on_useQRCode_clicked(bool checked)
{
    ui->isInkJet->setEnabled(checked);
    ui->qrCodeSize->setEnabled(checked);
    ui->qrPreStr->setEnabled(checked);
}

void PluginMW::on_qrPreStr_valueChanged(int value)
{
    const int n = ui->qrCodeStr->value();
    ui->qrCodeStr->setValue(n % 10000000 + value * 10000000);
}
