#include "app/CRecentFileMenu.h"

#include <QAction>
#include <QDir>
#include <QMenu>

namespace
{
// Ampersands in the path must not become mnemonics.
QString GetRecentFileText(int nEntry, const QString& strPath)
{
    QString strShown = QDir::toNativeSeparators(strPath);
    const QString strHome = QDir::homePath();
    if (strShown.startsWith(strHome + '/'))
        strShown = '~' + strShown.mid(strHome.size());
    strShown.replace('&', "&&");
    return QStringLiteral("&%1 %2").arg(nEntry + 1).arg(strShown);
}
} // namespace

CRecentFileMenu::CRecentFileMenu(QMenu& menu, QAction& end, const QStringList& files,
                                 std::function<void(int nEntry)> onChosen)
    : m_menu(menu), m_end(end), m_files(files), m_onChosen(std::move(onChosen))
{
}

void CRecentFileMenu::Rebuild(bool bCollapsed)
{
    qDeleteAll(m_actions);
    m_actions.clear();
    m_bCollapsed = bCollapsed;
    if (m_bCollapsed || m_files.isEmpty())
    {
        auto* pPlaceholder = new QAction("Recent File", &m_menu);
        pPlaceholder->setEnabled(false);
        m_actions.append(pPlaceholder);
    }
    else
    {
        for (int nEntry = 0; nEntry < m_files.size(); ++nEntry)
        {
            auto* pAction = new QAction(GetRecentFileText(nEntry, m_files[nEntry]), &m_menu);
            pAction->setStatusTip("Open this document");
            QObject::connect(pAction, &QAction::triggered, &m_menu,
                             [this, nEntry] { m_onChosen(nEntry); });
            m_actions.append(pAction);
        }
    }
    m_menu.insertActions(&m_end, m_actions);
}
