#include "ui/CHeardDock.h"

#include "base/TextEncoding.h"
#include "document/CRemote.h"
#include "document/SHeardPress.h"
#include "signal/SignalDecoder.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace
{
QString FormatButton(const SHeardPress& press)
{
    if (!press.pButton)
        return QStringLiteral("unknown");
    return QString::fromStdString(ToDisplayText(press.pRemote->m_strName) + "/" +
                                  ToDisplayText(press.pButton->GetDisplayText()));
}
} // namespace

CHeardDock::CHeardDock(QWidget* pParent)
    : QDockWidget(QStringLiteral("Heard"), pParent), m_pList(new QTreeWidget),
      m_pLearn(new QPushButton(QStringLiteral("&Learn")))
{
    setObjectName(QStringLiteral("heardDock"));
    m_pList->setObjectName(QStringLiteral("heardList"));
    m_pList->setHeaderLabels(
        {QStringLiteral("Time"), QStringLiteral("Code"), QStringLiteral("Button")});
    m_pList->setRootIsDecorated(false);
    m_pList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    m_pLearn->setObjectName(QStringLiteral("heardLearn"));
    m_pLearn->setToolTip(QStringLiteral("Make a button of the selected unknown signal"));
    m_pLearn->setEnabled(false);
    auto* pContent = new QWidget;
    auto* pLayout = new QVBoxLayout(pContent);
    pLayout->addWidget(m_pList);
    pLayout->addWidget(m_pLearn, 0, Qt::AlignRight);
    setWidget(pContent);
    connect(m_pList, &QTreeWidget::itemSelectionChanged, this, &CHeardDock::OnSelectionChanged);
    connect(m_pLearn, &QPushButton::clicked, this,
            [this]
            {
                const int nRow = m_pList->indexOfTopLevelItem(m_pList->currentItem());
                if (nRow >= 0 && m_learn)
                    m_learn(m_signals[static_cast<std::size_t>(nRow)]);
            });
}

void CHeardDock::AddPress(const SHeardPress& press)
{
    const QString strCode = QString::fromStdString(DescribeSignal(DecodeSignal(press.durations)));
    m_pList->insertTopLevelItem(
        0, new QTreeWidgetItem({QString::fromStdString(press.time.Format(' ', true)), strCode,
                                FormatButton(press)}));
    m_signals.insert(m_signals.begin(), press.durations);
    m_matched.insert(m_matched.begin(), press.pButton != nullptr);
    if (m_pList->topLevelItemCount() > kMaxRows)
    {
        delete m_pList->takeTopLevelItem(kMaxRows);
        m_signals.pop_back();
        m_matched.pop_back();
    }
}

void CHeardDock::OnSelectionChanged()
{
    const int nRow = m_pList->indexOfTopLevelItem(m_pList->currentItem());
    m_pLearn->setEnabled(nRow >= 0 && !m_matched[static_cast<std::size_t>(nRow)]);
}
