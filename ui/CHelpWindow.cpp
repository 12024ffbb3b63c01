#include "ui/CHelpWindow.h"

#include <QFileInfo>
#include <QScreen>
#include <QShortcut>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace
{
// The window's size in lines of its font: wide enough for the manual's tables and examples.
constexpr int kWidthInLines = 48;
constexpr int kHeightInLines = 36;
} // namespace

QString CHelpWindow::FindManual(const QStringList& places)
{
    for (const QString& strPath : places)
    {
        if (QFileInfo(strPath).isFile())
            return QFileInfo(strPath).absoluteFilePath();
    }
    return {};
}

CHelpWindow& CHelpWindow::ShowManual(const QString& strPath, QWidget* pOwner)
{
    auto* pWindow = pOwner->findChild<CHelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    if (!pWindow)
        pWindow = new CHelpWindow(strPath, pOwner);
    pWindow->show();
    pWindow->raise();
    pWindow->activateWindow();
    return *pWindow;
}

CHelpWindow::CHelpWindow(const QString& strPath, QWidget* pOwner)
    : QWidget(pOwner, Qt::Window), m_pBrowser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("helpWindow"));
    setWindowTitle(QStringLiteral("Quorbit Help"));
    m_pBrowser->setObjectName(QStringLiteral("manual"));
    m_pBrowser->setOpenExternalLinks(true);
    // The pictures and the other pages lie beside the manual.
    m_pBrowser->setSearchPaths({QFileInfo(strPath).absolutePath()});
    m_pBrowser->setSource(QUrl::fromLocalFile(strPath), QTextDocument::MarkdownResource);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->setContentsMargins(0, 0, 0, 0);
    pLayout->addWidget(m_pBrowser);
    const int nLine = fontMetrics().height();
    const QSize room = pOwner->screen()->availableGeometry().size() * 9 / 10;
    resize(QSize(kWidthInLines * nLine, kHeightInLines * nLine).boundedTo(room));
    // It has no Close button: Escape and the desktop's Close key close it, as a dialog.
    for (const QKeySequence& keys :
         {QKeySequence(Qt::Key_Escape), QKeySequence(QKeySequence::Close)})
        connect(new QShortcut(keys, this), &QShortcut::activated, this, &QWidget::close);
}
