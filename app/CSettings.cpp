#include "app/CSettings.h"

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
    ReadInt(store, "Disable Interrupts", m_bDisableInterrupts);
    ReadInt(store, "Clock Set Method", m_clock.nMethod);
    ReadInt(store, "Clock Set Day", m_clock.nDay);
    ReadInt(store, "Clock Set Hour", m_clock.nHour);
    ReadInt(store, "Clock Set Minute", m_clock.nMinute);
    store.endGroup();

    store.beginGroup("Window Settings");
    ReadInt(store, "Frame ShowCmd", m_nFrameShowCmd);
    ReadInt(store, "Frame Left", m_nFrameLeft);
    ReadInt(store, "Frame Top", m_nFrameTop);
    ReadInt(store, "Frame Right", m_nFrameRight);
    ReadInt(store, "Frame Bottom", m_nFrameBottom);
    ReadPosition(store, "Programmer", m_programmerPos);
    ReadPosition(store, "Builder", m_builderPos);
    ReadPosition(store, "Recorder", m_recorderPos);
    ReadPosition(store, "Mega", m_megaPos);
    for (int nColumn = 0; nColumn < kEventColumns; ++nColumn)
        ReadInt(store, GetEventWidthName(nColumn), m_eventWidths[nColumn]);
    store.endGroup();

    store.beginGroup("Sort Settings");
    ReadInt(store, "Sort Column", m_nSortColumn);
    ReadInt(store, "Sort Forward", m_bSortForward);
    store.endGroup();

    store.beginGroup("Control Bars");
    m_toolbarState = store.value("Toolbar State").toByteArray();
    ReadInt(store, "Status Bar Visible", m_bStatusBarVisible);
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
    store.setValue("Status Bar Visible", m_bStatusBarVisible);
    store.endGroup();

    store.beginGroup("Application Settings");
    store.setValue("Parallel Port", m_nParallelPort);
    store.setValue("Disable Interrupts", m_bDisableInterrupts);
    store.setValue("Clock Set Method", m_clock.nMethod);
    store.setValue("Clock Set Day", m_clock.nDay);
    store.setValue("Clock Set Hour", m_clock.nHour);
    store.setValue("Clock Set Minute", m_clock.nMinute);
    store.endGroup();

    store.beginGroup("Window Settings");
    store.setValue("Frame ShowCmd", m_nFrameShowCmd);
    store.setValue("Frame Left", m_nFrameLeft);
    store.setValue("Frame Top", m_nFrameTop);
    store.setValue("Frame Right", m_nFrameRight);
    store.setValue("Frame Bottom", m_nFrameBottom);
    WritePosition(store, "Programmer", m_programmerPos);
    WritePosition(store, "Builder", m_builderPos);
    WritePosition(store, "Recorder", m_recorderPos);
    WritePosition(store, "Mega", m_megaPos);
    for (int nColumn = 0; nColumn < kEventColumns; ++nColumn)
        store.setValue(GetEventWidthName(nColumn), m_eventWidths[nColumn]);
    store.endGroup();

    store.beginGroup("Sort Settings");
    store.setValue("Sort Column", m_nSortColumn);
    store.setValue("Sort Forward", m_bSortForward);
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
