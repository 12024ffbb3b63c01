#pragma once

#include <QStringList>
#include <QWidget>

class QTextBrowser;

// Quorbit's manual, the README shipped with the program, in a window of its own beside the
// others; links to the web open in the person's browser.
class CHelpWindow : public QWidget
{
    Q_OBJECT

public:
    // The first of the places that holds the manual, or empty.
    static QString FindManual(const QStringList& places);
    // Opens the manual at strPath in the help window, or brings the open one forward.
    static CHelpWindow& ShowManual(const QString& strPath, QWidget* pOwner);

    QTextBrowser& GetBrowser() const { return *m_pBrowser; }

private:
    CHelpWindow(const QString& strPath, QWidget* pOwner);

    QTextBrowser* m_pBrowser;
};
