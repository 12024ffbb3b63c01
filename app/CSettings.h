#pragma once

#include "document/CQuorbexDoc.h"
#include "ui/SEventListSettings.h"
#include "ui/SMqttConfig.h"

#include <QByteArray>
#include <QSize>
#include <QStringList>
#include <QVariantList>

#include <map>
#include <utility>

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
// memory while the program runs, and written whenever a value changed.
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
    // Every value, in the order VisitValues visits them (enumerations as their numbers), to
    // tell whether any changed.
    QVariantList GetValues() const;

    // Calls visit(key, value) for every value kept, once, with the key ("Group/Name") it is
    // kept under; enumerations come with their first and last valid value. Read and Write both
    // go through this one list, so a value cannot be written under one key and read under
    // another.
    template <typename TSettings, typename TVisitor>
    static void VisitValues(TSettings& settings, TVisitor&& visit);

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
    // Minutes an event that could not fire in its minute may still fire late; 0: never.
    int m_nLateMinutes = 0;

    // "Window Settings"
    EFrameShowState m_nFrameShowCmd = EFrameShowState::NotStored;
    int m_nFrameLeft = kNotStored;
    int m_nFrameTop = kNotStored;
    int m_nFrameRight = kNotStored;
    int m_nFrameBottom = kNotStored;
    // The window's geometry as Qt saves it; empty in a file of an earlier version, which is
    // placed by the rectangle above.
    QByteArray m_frameGeometry;
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

    // "MQTT Settings": the broker Quorbit joins; none by default.
    SMqttConfig m_mqtt;

    // "Import Settings": the folder of code files Import Codes searches; none by default.
    QString m_strCodeLibrary;

    // "Pad Sizes": the size the person gave a pad, by the document's path and the remote's
    // name. Kept here rather than in the document, whose files stay as they were.
    using CPadKey = std::pair<QString, QString>;
    std::map<CPadKey, QSize> m_padSizes;
};

template <typename TSettings, typename TVisitor>
void CSettings::VisitValues(TSettings& settings, TVisitor&& visit)
{
    visit("Application Settings/Parallel Port", settings.m_nParallelPort);
    visit("Application Settings/Disable Interrupts", settings.m_bDisableInterrupts);
    visit("Application Settings/Infrared Device", settings.m_strInfraredDevice);
    visit("Application Settings/Clock Set Method", settings.m_clock.nMethod,
          EClockRefreshMethod::None, EClockRefreshMethod::FromBios);
    visit("Application Settings/Clock Set Day", settings.m_clock.nDay, EClockRefreshDay::Daily,
          EClockRefreshDay::Saturday);
    visit("Application Settings/Clock Set Hour", settings.m_clock.nHour);
    visit("Application Settings/Clock Set Minute", settings.m_clock.nMinute);
    visit("Application Settings/Late Minutes", settings.m_nLateMinutes);

    visit("Window Settings/Frame ShowCmd", settings.m_nFrameShowCmd, EFrameShowState::Normal,
          EFrameShowState::NotStored);
    visit("Window Settings/Frame Left", settings.m_nFrameLeft);
    visit("Window Settings/Frame Top", settings.m_nFrameTop);
    visit("Window Settings/Frame Right", settings.m_nFrameRight);
    visit("Window Settings/Frame Bottom", settings.m_nFrameBottom);
    visit("Window Settings/Frame Geometry", settings.m_frameGeometry);
    const auto visitPosition = [&visit](const QString& strName, auto& position)
    {
        visit("Window Settings/" + strName + " Left", position.nLeft);
        visit("Window Settings/" + strName + " Top", position.nTop);
    };
    visitPosition("Programmer", settings.m_programmerPos);
    visitPosition("Builder", settings.m_builderPos);
    visitPosition("Recorder", settings.m_recorderPos);
    visitPosition("Mega", settings.m_megaPos);
    for (int nColumn = 0; nColumn < SEventListSettings::kColumns; ++nColumn)
        visit(QStringLiteral("Window Settings/Event Width %1").arg(nColumn),
              settings.m_eventList.m_widths[static_cast<std::size_t>(nColumn)]);

    visit("Sort Settings/Sort Column", settings.m_eventList.m_nSortColumn);
    visit("Sort Settings/Sort Forward", settings.m_eventList.m_bSortForward);

    visit("Control Bars/Toolbar State", settings.m_toolbarState);
    visit("Control Bars/Status Bar Visible", settings.m_bStatusBarVisible);

    // The list is kept as "File1" to "File4".
    visit("Recent File List/File", settings.m_recentFiles);

    visit("MQTT Settings/Broker", settings.m_mqtt.m_strBroker);
    visit("MQTT Settings/Password File", settings.m_mqtt.m_strPasswordFile);
    visit("MQTT Settings/Node", settings.m_mqtt.m_strNode);

    visit("Import Settings/Code Library", settings.m_strCodeLibrary);

    visit("Pad Sizes/Pad", settings.m_padSizes);
}
