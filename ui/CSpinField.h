#pragma once

#include <QSpinBox>

// A number field with up and down arrows for the time and date of the dialogs. The person may
// type any number of up to as many digits as the largest value; a number outside the range is
// pulled into it when the field is left, Enter is pressed or an arrow is used, so typing is
// never refused half-way. With wrapping on, the arrows step from one end of the range to the
// other.
class CSpinField : public QSpinBox
{
    Q_OBJECT

public:
    // nDigits: numbers are shown with at least this many digits ("05" for 2).
    CSpinField(int nMinimum, int nMaximum, int nDigits = 1, QWidget* pParent = nullptr);

    // Shows nValue, pulled into the range, in place of whatever was typed.
    void SetNumber(int nValue);
    // A new upper end; a number above it becomes the new upper end, never the lower one as
    // with Qt's own wrapping.
    void SetMaximum(int nMaximum);
    // True when the field holds a number within the range, as typed so far.
    bool IsTextInRange() const;
    // Pulls the typed number into the range (an empty field reads 0) and shows it.
    void ClampToRange();

signals:
    // Every change of the text shown: typing, also of a number not yet in range, the arrows,
    // and pulling a number into range.
    void ShownTextChanged();

protected:
    QValidator::State validate(QString& strText, int& nPos) const override;
    void fixup(QString& strText) const override;
    QString textFromValue(int nValue) const override;
    int valueFromText(const QString& strText) const override;

private:
    int m_nDigits;
};
