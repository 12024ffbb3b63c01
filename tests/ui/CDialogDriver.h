#pragma once

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QLabel>
#include <QTest>

#include <stdexcept>

// Works a dialog the way a person does: finds its controls by object name, types into fields
// and leaves them, and presses buttons.
class CDialogDriver
{
public:
    explicit CDialogDriver(const QWidget& dialog) : m_pDialog(&dialog) {}

    template <typename TWidget> TWidget& Find(const char* pszName) const
    {
        auto* pWidget = m_pDialog->findChild<TWidget*>(pszName);
        if (!pWidget)
            throw std::logic_error(std::string("no control ") + pszName);
        return *pWidget;
    }

    // Replaces what the field holds with strText, typed key by key.
    void Type(const char* pszField, const QString& strText) const
    {
        QWidget& field = Find<QWidget>(pszField);
        QTest::keyClick(&field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClicks(&field, strText);
    }

    void Leave(const char* pszField) const
    {
        QFocusEvent focusOut(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(&Find<QWidget>(pszField), &focusOut);
    }

    // Near the left edge: a radio button may reach further right than its caption.
    void Click(const char* pszButton) const
    {
        auto& button = Find<QAbstractButton>(pszButton);
        QTest::mouseClick(&button, Qt::LeftButton, {}, QPoint(6, button.height() / 2));
    }

    QString Text(const char* pszName) const
    {
        QWidget& widget = Find<QWidget>(pszName);
        if (auto* pSpin = qobject_cast<QAbstractSpinBox*>(&widget))
            return pSpin->text();
        if (auto* pList = qobject_cast<QComboBox*>(&widget))
            return pList->currentText();
        return Find<QLabel>(pszName).text();
    }

    bool IsEnabled(const char* pszName) const { return Find<QWidget>(pszName).isEnabled(); }

private:
    const QWidget* m_pDialog;
};
