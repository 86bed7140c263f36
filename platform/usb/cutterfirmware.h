#pragma once

// What the cutter's firmware speaks and sees, shared by the program's protocol
// layer and the emulated cutter: the numbers of its device commands
// (";CMD:n[,args];") and the facts of its camera.
namespace CutterFirmware {

enum Command : int
{
    BusyPoll = 10, // answered "FREE;" when idle
    PaperState = 14,
    Feed = 20, // ",n": feed the sheet by n plotter units, answered "OK;"
    ScanQr = 101,
    LedIntensity = 103, // ",v"
    FindMark = 106, // answered with the mark's place in the camera picture
    CamOffset = 200,
    SetCamOffset = 201, // ",a,b": the offset in millimetres
    BlankStart = 202,
};

// The camera reports a mark's centre in pixels of its picture; the picture's
// centre is the point the head stands over.
constexpr int cameraCentreX = 320;
constexpr int cameraCentreY = 240;

// The camera's nominal offset from the knife in millimetres, as the two
// numbers of ";CMD:201,a,b;": what a cutter leaves the factory with.
constexpr double nominalCamOffsetA = 1.5;
constexpr double nominalCamOffsetB = 27.3;

} // namespace CutterFirmware
