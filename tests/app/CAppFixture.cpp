#include "app/CAppFixture.h"

#include "app/CMainFrame.h"
#include "app/CMessageBox.h"
#include "device/CLircSystem.h"
#include "document/CQuorbexDoc.h"

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QSettings>
#include <QTimer>

CAppFixture::CAppFixture()
{
    CSettingsFile::Open().clear();
    CMessageBox::TakeShownTexts();
    MakeApp();
}

CAppFixture::~CAppFixture() = default;

void CAppFixture::MakeApp()
{
    auto pClock = std::make_unique<CScriptedClock>(CTime(1998, 6, 1, 6, 59, 0));
    auto pTicks = std::make_unique<CScriptedTickSource>();
    m_pClock = pClock.get();
    m_pTicks = pTicks.get();
    m_pApp = std::make_unique<CQuorbexApp>(m_strDevice, std::move(pClock), std::move(pTicks),
                                           m_pLirc ? *m_pLirc : GetKernelLircSystem());
}

bool CAppFixture::StartAgain(const QString& strFile)
{
    m_pApp.reset();
    MakeApp();
    return Start(strFile);
}

bool CAppFixture::Start(const QString& strFile)
{
    return m_pApp->InitInstance(strFile);
}

CMainFrame& CAppFixture::Frame() const
{
    return m_pApp->GetMainFrame();
}

CQuorbexDoc& CAppFixture::Doc() const
{
    return m_pApp->GetSession().GetDocument();
}

void CAppFixture::StoreSettings(const std::function<void(CSettings&)>& change)
{
    CSettings settings;
    change(settings);
    QSettings store = CSettingsFile::Open();
    settings.Write(store);
}

CSettings CAppFixture::LoadSettings()
{
    CSettings settings;
    QSettings store = CSettingsFile::Open();
    settings.Read(store);
    return settings;
}

void CAppFixture::WhenDialogOpens(std::function<void(QDialog&)> act)
{
    QTimer::singleShot(0,
                       [act]
                       {
                           auto* pDialog =
                               qobject_cast<QDialog*>(QApplication::activeModalWidget());
                           if (!pDialog)
                           {
                               ADD_FAILURE() << "no dialog open";
                               return;
                           }
                           act(*pDialog);
                       });
}

CRemote& CAppFixture::AddRemoteWithButton(const std::string& strName)
{
    CRemote& remote = *Doc().AddRemote(strName, 0);
    CRemoteButton& button = *Doc().AddButton(remote, "Power", "", false);
    button.m_bits.SetLength(4);
    button.m_bits.SetByte(0, 0xF0);
    return remote;
}

QString CAppFixture::GetTempPath(const QString& strName) const
{
    return m_dir.filePath(strName);
}

QString CAppFixture::WriteTempFile(const QString& strName, const QByteArray& bytes) const
{
    const QString strPath = GetTempPath(strName);
    QFile file(strPath);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return strPath;
}
