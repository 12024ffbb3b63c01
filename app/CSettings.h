#pragma once

#include "document/CQuorbexDoc.h"

#include <QByteArray>
#include <QStringList>

#include <array>

class QSettings;

// Every value the program keeps between runs, with its default. Read once at start, changed in
// memory while the program runs, written once at a normal exit.
class CSettings
{
public:
    // 0x7FFF in a position, rectangle, show state or width: nothing stored yet.
    static constexpr int kNotStored = 0x7FFF;
    static constexpr int kEventColumns = 7;
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

    // "Application Settings"
    int m_nParallelPort = 1;
    int m_bDisableInterrupts = 1;
    SClockSettings m_clock;

    // "Window Settings"
    int m_nFrameShowCmd = kNotStored;
    int m_nFrameLeft = kNotStored;
    int m_nFrameTop = kNotStored;
    int m_nFrameRight = kNotStored;
    int m_nFrameBottom = kNotStored;
    SPosition m_programmerPos;
    SPosition m_builderPos;
    SPosition m_recorderPos;
    SPosition m_megaPos;
    std::array<int, kEventColumns> m_eventWidths{kNotStored, kNotStored, kNotStored, kNotStored,
                                                 kNotStored, kNotStored, kNotStored};

    // "Sort Settings"
    int m_nSortColumn = 0;
    int m_bSortForward = 1;

    // "Control Bars": the toolbar's place and visibility, and whether the status bar shows.
    QByteArray m_toolbarState;
    int m_bStatusBarVisible = 1;

    // "Recent File List", most recent first.
    QStringList m_recentFiles;
};
