#include "ui/CSpinField.h"

#include <QLineEdit>

#include <algorithm>

namespace
{
bool IsAllDigits(const QString& strText)
{
    return std::all_of(strText.begin(), strText.end(), [](QChar ch) { return ch.isDigit(); });
}
} // namespace

CSpinField::CSpinField(int nMinimum, int nMaximum, int nDigits, QWidget* pParent)
    : QSpinBox(pParent), m_nDigits(nDigits)
{
    setRange(nMinimum, nMaximum);
    setAlignment(Qt::AlignRight);
    setButtonSymbols(QAbstractSpinBox::UpDownArrows);
    // The base class wrote the first text before this class could choose the digits.
    lineEdit()->setText(textFromValue(value()));
    // The spin box tells only of new values; typing that is not yet a value in range, and
    // rewriting a value's text when the field is left, tell nothing.
    connect(this, &QSpinBox::textChanged, this, &CSpinField::ShownTextChanged);
    connect(lineEdit(), &QLineEdit::textChanged, this, &CSpinField::ShownTextChanged);
    connect(this, &QAbstractSpinBox::editingFinished, this, &CSpinField::ShownTextChanged);
}

void CSpinField::SetNumber(int nValue)
{
    // With wrapping on, Qt would put a number out of range at the other end. setValue leaves a
    // typed text alone when the value it stands for does not change.
    setValue(std::clamp(nValue, minimum(), maximum()));
    lineEdit()->setText(textFromValue(value()));
}

void CSpinField::SetMaximum(int nMaximum)
{
    if (value() > nMaximum)
        setValue(nMaximum);
    setMaximum(nMaximum);
}

bool CSpinField::IsTextInRange() const
{
    QString strText = text();
    int nPos = 0;
    return validate(strText, nPos) == QValidator::Acceptable;
}

void CSpinField::ClampToRange()
{
    interpretText();
    emit ShownTextChanged();
}

QValidator::State CSpinField::validate(QString& strText, int& /*nPos*/) const
{
    const auto nMaxDigits = QString::number(maximum()).size();
    if (!IsAllDigits(strText) || strText.size() > std::max(nMaxDigits, qsizetype{m_nDigits}))
        return QValidator::Invalid;
    if (strText.isEmpty())
        return QValidator::Intermediate;
    const int nValue = strText.toInt();
    return nValue >= minimum() && nValue <= maximum() ? QValidator::Acceptable
                                                      : QValidator::Intermediate;
}

void CSpinField::fixup(QString& strText) const
{
    const int nValue = IsAllDigits(strText) ? strText.toInt() : 0;
    strText = textFromValue(std::clamp(nValue, minimum(), maximum()));
}

QString CSpinField::textFromValue(int nValue) const
{
    return QStringLiteral("%1").arg(nValue, m_nDigits, 10, QLatin1Char('0'));
}

int CSpinField::valueFromText(const QString& strText) const
{
    return strText.toInt();
}
