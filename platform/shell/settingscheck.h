#pragma once

#include "savefile.h"

#include <QString>

// What the start found of the INI file, and what it did about it.
struct SettingsCheck
{
    // Saved when it reads back whole, does not exist or could not be
    // judged (no room for a trial beside it); NotWhole when it holds what no
    // save writes: binary bytes, a tail of NULs, a line QSettings cannot
    // parse or write back (`line` tells the first); IsFolder; else why it
    // cannot be read.
    SaveResult found;
    // Where one found NotWhole or IsFolder went: "<file>.unreadable-<date
    // and time>", a name that nothing of the program removes. A whole new
    // file holding every key that could be read of it, and what the renew
    // chooser picked from it, stands in its place, unless asideWhy says why
    // none could be put there.
    QString setAside;
    SaveResult asideWhy; // why it could not be set aside or replaced

    // Set aside, and a whole new file put in its place.
    bool replaced() const { return !setAside.isEmpty() && asideWhy.ok(); }
};

// Judges the INI file where it lives, by a save tried beside it, and sets
// one that does not read back whole aside: the old bytes copied aside and a
// whole new file put in its place in one hold of its lock, so that another
// copy of the program never finds it missing nor a lower serial in it.
// `renew` picks, from the old file, values that the new one holds over what
// QSettings could read of it.
SettingsCheck checkSettings(
    const QString &iniFile, int lockMs, const SettingsChooser &renew = SettingsChooser());

// Tests: a slow disk, in the hold that sets the INI file aside.
void setSetAsideDelay(int ms);

// Removes what a save or a start's check killed midway left: its staging
// folder beside the INI file, and the staging and trial folders of older
// builds in the temporary folder ("<program>-XXXXXX", "<program>-trial-XXXXXX"
// holding only their two INI copies). Not while another
// save holds the lock. Nothing else beside the INI file is touched: it may be
// the user's own copy; nor is anything reached through a link.
void removeStaleSaves(const QString &iniFile);
