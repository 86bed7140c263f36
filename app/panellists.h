#pragma once

// The settings panel's lists, numbered as their entries stand in the form;
// the index is also what config.ini keeps. The cut-mode list is CutMode
// (jobpipeline.h), which the cut chain shares. A list with nothing chosen
// gives -1, which names no entry.

enum class MarkShape
{
    Cross = 0,
    RightAngle = 1,
    Circle = 2,
};

enum class MarkColour
{
    Black = 0,
    Red = 1,
    White = 2,
};

enum class OutlineAction
{
    LayerOnly = 0, // the cutting layer alone
    Boundary = 1,
    Contour = 2,
};

enum class PrintAction
{
    Print = 0,
    Pdf = 1,
};

constexpr bool isEntry(MarkShape shape)
{
    return shape == MarkShape::Cross || shape == MarkShape::RightAngle
        || shape == MarkShape::Circle;
}

constexpr bool isEntry(MarkColour colour)
{
    return colour == MarkColour::Black || colour == MarkColour::Red || colour == MarkColour::White;
}
