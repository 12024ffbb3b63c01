#include "ui/DialogParts.h"

#include <QApplication>
#include <QDialog>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>

#include <algorithm>

namespace
{
// A scroll area that asks for all its content needs up to a limit, where the stock one stops
// at a size of its own.
class CBoundedScrollArea : public QScrollArea
{
public:
    explicit CBoundedScrollArea(const QSize& limit) : m_limit(limit) {}

    QSize sizeHint() const override
    {
        const int nFrame = 2 * frameWidth();
        const int nBar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        const QSize wanted = widget()->sizeHint() + QSize(nFrame + nBar, nFrame);
        return wanted.boundedTo(m_limit);
    }

private:
    QSize m_limit;
};

// The room a window has on the screen it will show on, less what the window manager adds
// around it (a title bar and borders, about two lines of text).
QSize GetRoomOnScreen(const QDialog& dialog)
{
    const QWidget* pOver = dialog.parentWidget() ? dialog.parentWidget() : &dialog;
    const QScreen* pScreen = pOver->screen() ? pOver->screen() : QGuiApplication::primaryScreen();
    const int nDecoration = 2 * dialog.fontMetrics().height() + 8;
    return pScreen->availableGeometry().size() - QSize(nDecoration / 2, nDecoration);
}

// What the window's content asks for, its wrapped texts at the width it gets.
QSize GetWantedSize(const QWidget& window)
{
    window.layout()->activate();
    QSize wanted = window.sizeHint().expandedTo(window.minimumSize());
    if (window.hasHeightForWidth())
        wanted.setHeight(std::max(wanted.height(), window.heightForWidth(wanted.width())));
    return wanted;
}
} // namespace

QLabel* MakeWrappedLabel(const QString& strText, const char* pszName)
{
    auto* pLabel = new QLabel(strText);
    pLabel->setObjectName(pszName);
    pLabel->setWordWrap(true);
    return pLabel;
}

QDialogButtonBox* MakeOkCancelButtons(QDialog& dialog)
{
    auto* pButtons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    pButtons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("ok"));
    pButtons->button(QDialogButtonBox::Ok)->setDefault(true);
    pButtons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("cancel"));
    QObject::connect(pButtons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(pButtons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    return pButtons;
}

QLabel* MakeBuddyLabel(const QString& strText, QWidget* pBuddy)
{
    auto* pLabel = new QLabel(strText);
    pLabel->setBuddy(pBuddy);
    return pLabel;
}

void ShowGrown(QLabel& label, const QString& strText)
{
    label.setText(strText);
    label.show();
    QWidget* pWindow = label.window();
    if (QLayout* pLayout = pWindow->layout())
        pLayout->activate();
    const int nWidth = pWindow->width();
    const int nNeeded = pWindow->hasHeightForWidth() ? pWindow->heightForWidth(nWidth)
                                                     : pWindow->sizeHint().height();
    if (nNeeded > pWindow->height())
        pWindow->resize(nWidth, std::min(nNeeded, pWindow->maximumHeight()));
}

int GetWholeTitleWidth(const QWidget& window)
{
    QFont font = window.font();
    font.setBold(true);
    // An icon and three buttons, each about a line and a half square, and the bar's margins.
    const int nLine = window.fontMetrics().height();
    return QFontMetrics(font).horizontalAdvance(window.windowTitle()) + 8 * nLine;
}

void KeepTitleWhole(QDialog& dialog)
{
    dialog.setMinimumWidth(std::max(dialog.minimumWidth(), GetWholeTitleWidth(dialog)));
}

QLabel* MakeRefusalLabel()
{
    QLabel* pRefusal = MakeWrappedLabel(QString(), "refusal");
    pRefusal->setStyleSheet(QStringLiteral("color: #b00000"));
    pRefusal->hide();
    return pRefusal;
}

void GrowWider(QDialog& dialog, int nWidth)
{
    const int nRoom = GetRoomOnScreen(dialog).width();
    if (nWidth > 0 && dialog.width() < nRoom)
        dialog.resize(std::min(dialog.width() + nWidth, nRoom), dialog.height());
}

void FitOnScreen(QDialog& dialog, QWidget* pButtons)
{
    QLayout* pLayout = dialog.layout();
    const QSize room = GetRoomOnScreen(dialog);
    // Sized here, as the window system would not: it would cut the dialog to two thirds of
    // the screen and its wrapped texts with it.
    if (room.expandedTo(GetWantedSize(dialog)) == room)
        return dialog.resize(GetWantedSize(dialog));
    pLayout->removeWidget(pButtons);
    // The content takes the dialog's layout and its widgets with it.
    auto* pContent = new QWidget;
    pContent->setLayout(pLayout);
    const int nButtons = pButtons->sizeHint().height() + 2 * dialog.fontMetrics().height();
    auto* pScroll = new CBoundedScrollArea(room - QSize(0, nButtons));
    pScroll->setObjectName(QStringLiteral("scroll"));
    pScroll->setWidgetResizable(true);
    pScroll->setFrameShape(QFrame::NoFrame);
    pScroll->setWidget(pContent);
    auto* pOuter = new QVBoxLayout(&dialog);
    pOuter->addWidget(pScroll, 1);
    pOuter->addWidget(pButtons);
    dialog.setMaximumSize(room);
    dialog.resize(GetWantedSize(dialog).boundedTo(room));
}
