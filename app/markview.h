#pragma once

#include <QWidget>

// Enlarged picture of one registration mark in the settings panel.
class MarkView : public QWidget
{
    Q_OBJECT

public:
    explicit MarkView(QWidget *parent = nullptr);

    int shape = 0; // 0 cross, 1 right angle, 2 circle
    int colorIndex = 0; // 0 black, 1 red, otherwise white
    double markW = 0.0; // pixels
    double markH = 0.0;
    double lineWeight = 0.0;
};
