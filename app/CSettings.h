#pragma once

#include "document/CQuorbexDoc.h"
#include "ui/SEventListSettings.h"

#include <QByteArray>
#include <QStringList>

class QSettings;
struct SBuilderPlaces;

// How the main window was shown when the program last closed; the numbers are the values kept
// in the settings.
enum class EFrameShowState : int
{
    Normal = 1,
    Minimized = 2,
    Maximized = 3,
    NotStored = 0x7FFF,
};

// Every value the program keeps between runs, with its default. Read once at start, changed in
// memory while the program runs, written once at a normal exit.
class CSettings
{
public:
    // 0x7FFF in a position or rectangle: nothing stored yet.
    static constexpr int kNotStored = 0x7FFF;
    static constexpr int kRecentFiles = 4;

    struct SPosition
    {
        int nLeft = kNotStored;
        int nTop = kNotStored;
    };

    void Read(QSettings& store);
    void Write(QSettings& store) const;

    // Adds a path at the top of the recent-file list (moving it there when already listed).
    void AddRecentFile(const QString& strPath);
    void RemoveRecentFile(const QString& strPath);

    // The places the Remote Builder and the dialogs it opens come back to, as it keeps them.
    SBuilderPlaces GetBuilderPlaces();

    // "Application Settings"
    int m_nParallelPort = 1;
    bool m_bDisableInterrupts = true;
    // The infrared unit chosen in the Configure dialog: "" for the one on the parallel port
    // above, "sim" for the simulated unit, "lirc:/dev/lirc0" for a kernel lirc device.
    QString m_strInfraredDevice;
    SClockSettings m_clock;

    // "Window Settings"
    EFrameShowState m_nFrameShowCmd = EFrameShowState::NotStored;
    int m_nFrameLeft = kNotStored;
    int m_nFrameTop = kNotStored;
    int m_nFrameRight = kNotStored;
    int m_nFrameBottom = kNotStored;
    SPosition m_programmerPos;
    SPosition m_builderPos;
    SPosition m_recorderPos;
    SPosition m_megaPos;
    // The event list's column widths ("Window Settings") and its sort ("Sort Settings").
    SEventListSettings m_eventList;

    // "Control Bars": the toolbar's place and visibility, and whether the status bar shows.
    QByteArray m_toolbarState;
    bool m_bStatusBarVisible = true;

    // "Recent File List", most recent first.
    QStringList m_recentFiles;
};
