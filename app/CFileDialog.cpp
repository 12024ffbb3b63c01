#include "app/CFileDialog.h"

#include <QFileDialog>
#include <QStringList>

namespace
{
const char* const kFilter = "Quorbit Files (*.qb)";

struct SScript
{
    bool bActive = false;
    QStringList paths;
};

SScript& GetScript()
{
    static SScript script;
    return script;
}

QString TakeScriptedPath()
{
    SScript& script = GetScript();
    return script.paths.isEmpty() ? QString() : script.paths.takeFirst();
}
} // namespace

QString CFileDialog::GetOpenPath(QWidget* pParent)
{
    if (GetScript().bActive)
        return TakeScriptedPath();
    return QFileDialog::getOpenFileName(pParent, QString(), QString(), kFilter);
}

QString CFileDialog::GetSavePath(QWidget* pParent, const QString& strProposed)
{
    if (GetScript().bActive)
        return TakeScriptedPath();
    QFileDialog dialog(pParent, QString(), strProposed, kFilter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix("qb");
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

void CFileDialog::UseScriptedPaths()
{
    GetScript().bActive = true;
}

void CFileDialog::QueuePath(const QString& strPath)
{
    GetScript().paths.append(strPath);
}
