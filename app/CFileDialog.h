#pragma once

#include <QString>

class QWidget;

// The file choosers of File Open and Save As. Tests switch them to scripted paths, so that no
// test waits on a modal dialog; an empty path means the person cancelled.
class CFileDialog
{
public:
    static QString GetOpenPath(QWidget* pParent);
    static QString GetSavePath(QWidget* pParent, const QString& strProposed);

    static void UseScriptedPaths();
    static void QueuePath(const QString& strPath);
};
