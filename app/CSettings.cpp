#include "app/CSettings.h"

#include "ui/CRemoteBuilderDlg.h"

#include <QSettings>

namespace
{
// A value that is missing or not a number keeps its default, so a hand-edited file cannot
// leave a setting at an accidental 0.
void ReadInt(QSettings& store, const QString& strName, int& nValue)
{
    bool bOk = false;
    const int nRead = store.value(strName).toInt(&bOk);
    if (bOk)
        nValue = nRead;
}

void ReadBool(QSettings& store, const QString& strName, bool& bValue)
{
    int nValue = bValue ? 1 : 0;
    ReadInt(store, strName, nValue);
    bValue = nValue != 0;
}

// A value outside the enumeration's range keeps the default too.
template <typename TEnum>
void ReadEnum(QSettings& store, const QString& strName, TEnum& nValue, TEnum nFirst, TEnum nLast)
{
    int nRead = static_cast<int>(nValue);
    ReadInt(store, strName, nRead);
    if (nRead >= static_cast<int>(nFirst) && nRead <= static_cast<int>(nLast))
        nValue = static_cast<TEnum>(nRead);
}

template <typename TEnum> void WriteEnum(QSettings& store, const QString& strName, TEnum nValue)
{
    store.setValue(strName, static_cast<int>(nValue));
}

void ReadPosition(QSettings& store, const QString& strPrefix, CSettings::SPosition& position)
{
    ReadInt(store, strPrefix + " Left", position.nLeft);
    ReadInt(store, strPrefix + " Top", position.nTop);
}

void WritePosition(QSettings& store, const QString& strPrefix, const CSettings::SPosition& position)
{
    store.setValue(strPrefix + " Left", position.nLeft);
    store.setValue(strPrefix + " Top", position.nTop);
}

QString GetEventWidthName(int nColumn)
{
    return QStringLiteral("Event Width %1").arg(nColumn);
}

QString GetRecentFileName(int nEntry)
{
    return QStringLiteral("File%1").arg(nEntry + 1);
}
} // namespace

void CSettings::Read(QSettings& store)
{
    store.beginGroup("Application Settings");
    ReadInt(store, "Parallel Port", m_nParallelPort);
    ReadBool(store, "Disable Interrupts", m_bDisableInterrupts);
    m_strInfraredDevice = store.value("Infrared Device", m_strInfraredDevice).toString();
    ReadEnum(store, "Clock Set Method", m_clock.nMethod, EClockRefreshMethod::None,
             EClockRefreshMethod::FromBios);
    ReadEnum(store, "Clock Set Day", m_clock.nDay, EClockRefreshDay::Daily,
             EClockRefreshDay::Saturday);
    ReadInt(store, "Clock Set Hour", m_clock.nHour);
    ReadInt(store, "Clock Set Minute", m_clock.nMinute);
    store.endGroup();

    store.beginGroup("Window Settings");
    ReadEnum(store, "Frame ShowCmd", m_nFrameShowCmd, EFrameShowState::Normal,
             EFrameShowState::NotStored);
    ReadInt(store, "Frame Left", m_nFrameLeft);
    ReadInt(store, "Frame Top", m_nFrameTop);
    ReadInt(store, "Frame Right", m_nFrameRight);
    ReadInt(store, "Frame Bottom", m_nFrameBottom);
    ReadPosition(store, "Programmer", m_programmerPos);
    ReadPosition(store, "Builder", m_builderPos);
    ReadPosition(store, "Recorder", m_recorderPos);
    ReadPosition(store, "Mega", m_megaPos);
    for (int nColumn = 0; nColumn < SEventListSettings::kColumns; ++nColumn)
        ReadInt(store, GetEventWidthName(nColumn), m_eventList.m_widths[nColumn]);
    store.endGroup();

    store.beginGroup("Sort Settings");
    ReadInt(store, "Sort Column", m_eventList.m_nSortColumn);
    ReadBool(store, "Sort Forward", m_eventList.m_bSortForward);
    store.endGroup();

    store.beginGroup("Control Bars");
    m_toolbarState = store.value("Toolbar State").toByteArray();
    ReadBool(store, "Status Bar Visible", m_bStatusBarVisible);
    store.endGroup();

    store.beginGroup("Recent File List");
    m_recentFiles.clear();
    for (int nEntry = 0; nEntry < kRecentFiles; ++nEntry)
    {
        const QString strPath = store.value(GetRecentFileName(nEntry)).toString();
        if (!strPath.isEmpty() && !m_recentFiles.contains(strPath))
            m_recentFiles.append(strPath);
    }
    store.endGroup();
}

void CSettings::Write(QSettings& store) const
{
    store.beginGroup("Control Bars");
    store.setValue("Toolbar State", m_toolbarState);
    store.setValue("Status Bar Visible", m_bStatusBarVisible ? 1 : 0);
    store.endGroup();

    store.beginGroup("Application Settings");
    store.setValue("Parallel Port", m_nParallelPort);
    store.setValue("Disable Interrupts", m_bDisableInterrupts ? 1 : 0);
    store.setValue("Infrared Device", m_strInfraredDevice);
    WriteEnum(store, "Clock Set Method", m_clock.nMethod);
    WriteEnum(store, "Clock Set Day", m_clock.nDay);
    store.setValue("Clock Set Hour", m_clock.nHour);
    store.setValue("Clock Set Minute", m_clock.nMinute);
    store.endGroup();

    store.beginGroup("Window Settings");
    WriteEnum(store, "Frame ShowCmd", m_nFrameShowCmd);
    store.setValue("Frame Left", m_nFrameLeft);
    store.setValue("Frame Top", m_nFrameTop);
    store.setValue("Frame Right", m_nFrameRight);
    store.setValue("Frame Bottom", m_nFrameBottom);
    WritePosition(store, "Programmer", m_programmerPos);
    WritePosition(store, "Builder", m_builderPos);
    WritePosition(store, "Recorder", m_recorderPos);
    WritePosition(store, "Mega", m_megaPos);
    for (int nColumn = 0; nColumn < SEventListSettings::kColumns; ++nColumn)
        store.setValue(GetEventWidthName(nColumn), m_eventList.m_widths[nColumn]);
    store.endGroup();

    store.beginGroup("Sort Settings");
    store.setValue("Sort Column", m_eventList.m_nSortColumn);
    store.setValue("Sort Forward", m_eventList.m_bSortForward ? 1 : 0);
    store.endGroup();

    store.beginGroup("Recent File List");
    for (int nEntry = 0; nEntry < kRecentFiles; ++nEntry)
    {
        const QString strName = GetRecentFileName(nEntry);
        if (nEntry < m_recentFiles.size())
            store.setValue(strName, m_recentFiles[nEntry]);
        else
            store.remove(strName);
    }
    store.endGroup();
    store.sync();
}

void CSettings::AddRecentFile(const QString& strPath)
{
    m_recentFiles.removeAll(strPath);
    m_recentFiles.prepend(strPath);
    while (m_recentFiles.size() > kRecentFiles)
        m_recentFiles.removeLast();
}

void CSettings::RemoveRecentFile(const QString& strPath)
{
    m_recentFiles.removeAll(strPath);
}

SBuilderPlaces CSettings::GetBuilderPlaces()
{
    return {m_builderPos.nLeft, m_builderPos.nTop, m_recorderPos.nLeft,
            m_recorderPos.nTop, m_megaPos.nLeft,   m_megaPos.nTop};
}
