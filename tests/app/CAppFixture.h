#pragma once

#include "app/CDocumentController.h"
#include "app/CQuorbexApp.h"
#include "engine/CQuorbexSession.h"
#include "support/CScriptedClock.h"
#include "support/CScriptedTickSource.h"
#include "support/TimeZone.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

class CLircSystem;
class CMainFrame;
class CQuorbexDoc;
class CRemote;
class CRemoteButton;
class QDialog;

// Starts the whole window program on the simulated infrared unit, a scripted clock and a
// scripted millisecond count, with settings that start empty for every test.
class CAppFixture : public ::testing::Test
{
protected:
    CAppFixture();
    ~CAppFixture() override;

    // Runs start-up, as the program does with strFile on its command line.
    bool Start(const QString& strFile = QString());
    // Ends the program as a kill would, without a word, and starts it again.
    bool StartAgain(const QString& strFile = QString());

    CQuorbexApp& App() const { return *m_pApp; }
    CMainFrame& Frame() const;
    CQuorbexDoc& Doc() const;

    // Settings as a previous run would have left them.
    static void StoreSettings(const std::function<void(CSettings&)>& change);
    static CSettings LoadSettings();

    // Acts on the dialog a command is about to run modally, once its loop runs.
    static void WhenDialogOpens(std::function<void(QDialog&)> act);

    // A remote with one learned plain button "Power".
    CRemote& AddRemoteWithButton(const std::string& strName);
    QString GetTempPath(const QString& strName) const;
    // A file holding exactly these bytes.
    QString WriteTempFile(const QString& strName, const QByteArray& bytes) const;

    CScopedTimeZone m_zone{"UTC0"};
    // The infrared backend asked for at start and the lirc devices there are; the next
    // StartAgain takes changes to them.
    std::string m_strDevice = "sim";
    CLircSystem* m_pLirc = nullptr; // null: the kernel's
    QTemporaryDir m_dir;
    CScriptedClock* m_pClock = nullptr;
    CScriptedTickSource* m_pTicks = nullptr;

private:
    void MakeApp();

    std::unique_ptr<CQuorbexApp> m_pApp;
};
