#include "app/CSettings.h"

#include "ui/CRemoteBuilderDlg.h"

#include <QSettings>

#include <type_traits>

namespace
{
QString GetRecentFileKey(const QString& strKey, int nEntry)
{
    return strKey + QString::number(nEntry + 1);
}

// Reads each value the settings visit. A value that is missing or not a number keeps its
// default, so a hand-edited file cannot leave a setting at an accidental 0; so does an
// enumeration outside its range.
class CValueReader
{
public:
    explicit CValueReader(QSettings& store) : m_store(store) {}

    void operator()(const QString& strKey, int& nValue) const
    {
        bool bOk = false;
        const int nRead = m_store.value(strKey).toInt(&bOk);
        if (bOk)
            nValue = nRead;
    }

    void operator()(const QString& strKey, bool& bValue) const
    {
        int nValue = bValue ? 1 : 0;
        (*this)(strKey, nValue);
        bValue = nValue != 0;
    }

    template <typename TEnum>
    void operator()(const QString& strKey, TEnum& nValue, TEnum nFirst, TEnum nLast) const
    {
        int nRead = static_cast<int>(nValue);
        (*this)(strKey, nRead);
        if (nRead >= static_cast<int>(nFirst) && nRead <= static_cast<int>(nLast))
            nValue = static_cast<TEnum>(nRead);
    }

    void operator()(const QString& strKey, QString& strValue) const
    {
        strValue = m_store.value(strKey, strValue).toString();
    }

    void operator()(const QString& strKey, QByteArray& value) const
    {
        value = m_store.value(strKey).toByteArray();
    }

    void operator()(const QString& strKey, QStringList& paths) const
    {
        paths.clear();
        for (int nEntry = 0; nEntry < CSettings::kRecentFiles; ++nEntry)
        {
            const QString strPath = m_store.value(GetRecentFileKey(strKey, nEntry)).toString();
            if (!strPath.isEmpty() && !paths.contains(strPath))
                paths.append(strPath);
        }
    }

    // Entries with an empty remote name or a size below one pixel are left out.
    void operator()(const QString& strKey, std::map<CSettings::CPadKey, QSize>& sizes) const
    {
        sizes.clear();
        const int nCount = m_store.beginReadArray(strKey);
        for (int nEntry = 0; nEntry < nCount; ++nEntry)
        {
            m_store.setArrayIndex(nEntry);
            const QSize size(m_store.value("Width").toInt(), m_store.value("Height").toInt());
            const QString strRemote = m_store.value("Remote").toString();
            if (!strRemote.isEmpty() && !size.isEmpty())
                sizes[{m_store.value("Document").toString(), strRemote}] = size;
        }
        m_store.endArray();
    }

private:
    QSettings& m_store;
};

// Writes each value; flags as 0 or 1 and enumerations as their numbers, as they were always
// kept.
class CValueWriter
{
public:
    explicit CValueWriter(QSettings& store) : m_store(store) {}

    void operator()(const QString& strKey, int nValue) const { m_store.setValue(strKey, nValue); }
    void operator()(const QString& strKey, bool bValue) const
    {
        m_store.setValue(strKey, bValue ? 1 : 0);
    }

    template <typename TEnum>
    void operator()(const QString& strKey, TEnum nValue, TEnum, TEnum) const
    {
        m_store.setValue(strKey, static_cast<int>(nValue));
    }

    void operator()(const QString& strKey, const QString& strValue) const
    {
        m_store.setValue(strKey, strValue);
    }

    void operator()(const QString& strKey, const QByteArray& value) const
    {
        m_store.setValue(strKey, value);
    }

    // A shorter list must not leave an old entry behind.
    void operator()(const QString& strKey, const QStringList& paths) const
    {
        for (int nEntry = 0; nEntry < CSettings::kRecentFiles; ++nEntry)
        {
            const QString strEntryKey = GetRecentFileKey(strKey, nEntry);
            if (nEntry < paths.size())
                m_store.setValue(strEntryKey, paths[nEntry]);
            else
                m_store.remove(strEntryKey);
        }
    }

    void operator()(const QString& strKey, const std::map<CSettings::CPadKey, QSize>& sizes) const
    {
        m_store.remove(strKey);
        m_store.beginWriteArray(strKey, static_cast<int>(sizes.size()));
        int nEntry = 0;
        for (const auto& [key, size] : sizes)
        {
            m_store.setArrayIndex(nEntry++);
            m_store.setValue("Document", key.first);
            m_store.setValue("Remote", key.second);
            m_store.setValue("Width", size.width());
            m_store.setValue("Height", size.height());
        }
        m_store.endArray();
    }

private:
    QSettings& m_store;
};
} // namespace

void CSettings::Read(QSettings& store)
{
    VisitValues(*this, CValueReader(store));
}

void CSettings::Write(QSettings& store) const
{
    VisitValues(*this, CValueWriter(store));
    store.sync();
}

QVariantList CSettings::GetValues() const
{
    QVariantList values;
    VisitValues(*this,
                [&values]<typename TValue>(const QString&, const TValue& value, auto...)
                {
                    if constexpr (std::is_enum_v<TValue>)
                        values.append(static_cast<int>(value));
                    else
                        values.append(QVariant::fromValue(value));
                });
    return values;
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
