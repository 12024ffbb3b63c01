#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QAction;
class QMenu;

// The recent-file entries of the File menu, numbered "&1 ~/remotes/living-room.qb", placed
// before a separator. Without files, or collapsed, the list is one disabled placeholder.
class CRecentFileMenu
{
public:
    // files: the list the entries show, read again at each rebuild; onChosen: given the index
    // of the entry the person chose.
    CRecentFileMenu(QMenu& menu, QAction& end, const QStringList& files,
                    std::function<void(int nEntry)> onChosen);

    // bCollapsed: show only the placeholder, as while a button fires, when opening a file
    // would empty the document under the firing.
    void Rebuild(bool bCollapsed);
    bool IsCollapsed() const { return m_bCollapsed; }

private:
    QMenu& m_menu;
    QAction& m_end;
    const QStringList& m_files;
    std::function<void(int)> m_onChosen;
    QList<QAction*> m_actions;
    bool m_bCollapsed = false;
};
