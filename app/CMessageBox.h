#pragma once

#include <QMessageBox>
#include <QStringList>

// The one way the windows put a message box in front of the person. Tests switch it to
// scripted answers, so that no test ever waits on a modal box; every text shown is kept.
class CMessageBox
{
public:
    static QMessageBox::StandardButton Show(QWidget* pParent, QMessageBox::Icon nIcon,
                                            const QString& strText,
                                            QMessageBox::StandardButtons buttons,
                                            QMessageBox::StandardButton nDefault);

    // From now on boxes are not shown: each takes the next queued answer, or its default
    // button when none is queued.
    static void UseScriptedAnswers();
    static void QueueAnswer(QMessageBox::StandardButton nAnswer);
    // The texts of the boxes taken so far; TakeShownTexts() empties the record.
    static QStringList TakeShownTexts();
};
